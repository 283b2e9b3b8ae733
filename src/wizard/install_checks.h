#pragma once
// The checks before installation: refused systems and earlier installations.
#include <string>

#include "wizard/setup_sources.h"

enum class CheckSeverity { None, Warning, Stop };

struct CheckFinding {
    CheckSeverity severity = CheckSeverity::None;
    std::string caption;
    std::string text;
};

struct CheckContext {
    std::string scriptPath;
    std::string osName;
    std::string windowsFolder;      // "(Win)", with its trailing backslash
    std::string installFolderText;  // the proposed install folder
    std::string s;                  // SetupString
    std::string u;                  // UnSetupString
};

// The first finding that matters: a refused system, then UnInstallCheckEx (stops), then
// UnInstallCheck (warns). A stop skips the checks after it.
CheckFinding RunInstallChecks(const SetupSources& sources, const CheckContext& context);
