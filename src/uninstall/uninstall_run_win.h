#pragma once
// The uninstall run: removes what the log lists, asks before deleting shared files, and
// ends on a page that offers a restart when a file could only be scheduled.
#include <string>

#include "windows/run_choices.h"
#include "windows/run_view.h"
#include "windows/win_reboot_win.h"

// What the run takes: the user's choices, the view it reports to, and the script's words.
struct UninstallContext {
    UninstallChoices choices;
    RunView& view;
    TWinReboot& reboot;
    std::string setupString;
    std::string unSetupString;
};

void RunUninstall(const UninstallContext& context);

// A path of the log as the system will resolve it: "." and ".." gone, short folder names
// made long, so that the refusal rules see what would really be deleted.
std::string ResolvedLogPath(const std::string& path);
// Whether a log path is refused, as written or as resolved (the rules of uninstall_rules.h).
bool IsRefusedLogPath(const std::string& path);
