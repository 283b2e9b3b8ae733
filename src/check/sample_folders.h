#pragma once
// The folders a plan expands the macros to: a documented sample machine per system, since
// the checker runs on the distributor's desk and not on the user's machine.
#include <string>
#include <utility>
#include <vector>

#include "check/script_file.h"
#include "engine/paths.h"

struct SampleSystem {
    std::string name;  // as --os takes it: win95, win98, winme, nt40, win2k, winxp, win2003
    bool nt = false;
};

// The system of that name; its name is empty when the name is not known.
SampleSystem FindSampleSystem(const std::string& name);
std::vector<std::string> SampleSystemNames();

// A sample system with some of its folders replaced, e.g. by those of a real machine.
struct SampleMachine {
    SampleSystem system;
    std::vector<std::pair<std::string, std::string>> folders;  // macro token, folder
};

// Fills every macro but "(App)" and "(Set)" with the sample machine's folders.
void SetSampleFolders(const SampleMachine& machine, FolderMacroTable& macros);
// Fixes "(App)" and "(Set)" as the install run does once the install folder is known.
void SetInstallFolder(const std::string& installFolder, FolderMacroTable& macros);
// Sets the process's folder macros for the machine, with the install folder the wizard
// proposes there (a fresh machine: no earlier installation, registry or INI values); returns it.
std::string PrepareSampleMachine(const ScriptFile& script, const SampleMachine& machine);
