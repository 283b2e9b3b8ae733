#pragma once
// Checking a whole package: the script's bytes, its shape, every entry, and the files it names.
#include <string>

#include "check/findings.h"
#include "check/sample_folders.h"

struct CheckResult {
    bool readable = false;  // false: no script could be read (the findings say why)
    Findings findings;
};

// Checks the package folder's SETUP.INI against the files beside it, with the sample machine
// standing for the user's (the uninstaller's refusals depend on its Windows folders).
CheckResult CheckPackage(const std::string& folder, const SampleMachine& machine);
