#include "engine/environment.h"

#include "engine/paths.h"

EnvironmentInfo& Environment() {
    static EnvironmentInfo info;
    return info;
}

std::string WorkFolderName(const std::string& tempFolder, int n) {
    return tempFolder + "KSTMP" + std::to_string(n) + "\\";
}

SetupMode RunModeFor(const std::string& firstArgument) {
    return NameOfPath(firstArgument) == "UNSETUP.INI" ? SetupMode::Unsetup : SetupMode::Setup;
}
