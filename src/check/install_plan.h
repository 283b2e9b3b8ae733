#pragma once
// What an installation with the wizard's defaults would do on a sample machine: every folder,
// file, shortcut, registry value, INI entry and association, and the uninstall log it leaves.
#include <string>
#include <vector>

#include "check/package_folder.h"
#include "check/sample_folders.h"
#include "check/script_file.h"

struct PlannedFile {
    std::string source;  // the package file's name ("setup.exe" for the uninstaller)
    std::string destination;
    std::string options;  // as the log records it: empty or "," + the options
    int disk = 1;
    bool compressed = false;
    bool missing = false;  // not in the package: the run skips it
    std::string found;     // the package file's own name ("DISK2\\A.TXT"), empty when missing
};

struct PlannedShortcut {
    std::string file;
    std::string target;
    std::string arguments;
    std::string workingFolder;
};

struct PlannedValue {
    std::string root;  // "HKEY_LOCAL_MACHINE"
    std::string key;
    std::string name;  // empty: the key's default value
    std::string type;  // "REG_SZ", ...; empty when the key is only created
    std::string data;  // numbers as "0x1f", binary data as hexadecimal bytes "FF000000"
};

struct PlannedIniEntry {
    std::string file, section, key, value;
};

struct InstallPlan {
    std::string system;
    std::string installFolder;
    std::vector<std::string> folders;
    std::vector<PlannedFile> files;
    std::vector<PlannedShortcut> shortcuts;
    std::vector<PlannedValue> registry;
    std::vector<PlannedIniEntry> ini;
    std::string start;    // the program the final page starts, or empty
    std::string logPath;  // empty for a "Setup Only." package
    std::string logText;
};

InstallPlan BuildInstallPlan(const ScriptFile& script, const PackageFolder& package, const SampleMachine& machine);

// Tab-separated lines a person can read and a script can cut; then the uninstall log.
std::string PlanText(const InstallPlan& plan);
std::string PlanJson(const InstallPlan& plan);
