#pragma once
// What start-up learned about the machine and the run; filled once, read everywhere.
#include <string>

#include "engine/os_version.h"

enum class SetupMode { Setup, Unsetup };  // installing, or removing what a log names

struct EnvironmentInfo {
    std::string OsName;
    WindowsFamily OsFamily = WindowsFamily::Unknown;
    std::string SourceFolder;  // folder of the running program, with a trailing backslash
    std::string WorkFolder;    // temporary folder + "KSTMP" + n + backslash
    std::string ScriptPath;    // the copy of SETUP.INI or UNSETUP.INI that all reading uses
    SetupMode RunMode = SetupMode::Setup;
    bool HasShfolder = false;
    bool FromPayload = false;  // the package came out of the program itself into SourceFolder
    std::string StartupErrors;
};

EnvironmentInfo& Environment();

// The work folder name for number n: (Tmp) + "KSTMP" + n + "\".
std::string WorkFolderName(const std::string& tempFolder, int n);
// Install or uninstall mode from the first argument: only the exact file name "UNSETUP.INI" uninstalls.
SetupMode RunModeFor(const std::string& firstArgument);
