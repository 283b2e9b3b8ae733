#pragma once
// The install run: from the start button to the final page, one step after another.
#include <string>

#include "install/shortcut_entry.h"
#include "windows/run_choices.h"
#include "windows/run_view.h"
#include "windows/win_reboot_win.h"

// What the run takes: the user's choices, the view it reports to, and the script's start-up values.
struct InstallContext {
    InstallChoices choices;
    RunView& view;
    TWinReboot& reboot;
    std::string setupString;
    std::string unSetupString;
    std::string unSetupTitle;
    std::string programId;
    int setupSpeed = 350;
};

void RunInstall(const InstallContext& context);

// Makes the shell link (or copies a ready .lnk); returns the file made, or empty.
std::string CreateShortcutFile(const ShortcutEntry& entry);
