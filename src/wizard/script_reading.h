#pragma once
// Start-up reading of the setup script (or, in uninstall mode, of the uninstall log).
#include <string>

#include "wizard/setup_sources.h"

// The script values that start-up keeps for the wizard and the runs.
struct ScriptValues {
    std::string SetupString = "インストール";
    std::string UnSetupString = "アンインストール";
    std::string SetupTitle = "Kelvo Setup";
    std::string UnSetupTitle = "Kelvo Setup";
    int SetupSpeed = 350;
    std::string ProgramId;
    std::string Message;            // the main page's message
    std::string InstallFolderText;  // what start-up put into the folder field
    bool Enabled = true;            // false locks the user's choices
};

ScriptValues& Script();

// Reads everything of the start-up keys except the install folder, which needs the folder macros.
ScriptValues ReadScriptValues(const SetupSources& sources, const std::string& scriptPath, bool uninstall);

// The banner of the background window: CopyRight1 CR LF CopyRight2, or the built-in one.
std::string BannerText(const std::string& copyRight1, const std::string& copyRight2);

// [Extend] SetupSpeed in milliseconds: at least 1; a value that is not a number gives the default.
int SetupSpeedFrom(const std::string& value);

// A [DefaultFolder] ReferRegistry value split into root tag, key path and value name.
struct RegistryReference {
    std::string rootTag;
    std::string keyPath;
    std::string valueName;
};
RegistryReference ParseRegistryReference(const std::string& value);

// The proposed install folder before macro expansion: [DefaultFolder] Folder, replaced in turn
// by the folder recorded for the program identifier, the registry value and the INI value.
std::string ProposeInstallFolder(const SetupSources& sources, const std::string& scriptPath,
                                 const std::string& windowsFolder);

// Which shortcut boxes the [ShortCut] Name list offers: desktop, start menu, startup, send to.
struct ShortcutOffers {
    bool desktop = false;
    bool startMenu = false;
    bool startUp = false;
    bool sendTo = false;
};
ShortcutOffers ReadShortcutOffers(const SetupSources& sources, const std::string& scriptPath);
