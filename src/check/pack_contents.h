#pragma once
// What a package's one-file program carries: the setup program, the script and every file
// the script can use, each with its time and attributes; and what the folder holds besides.
#include <optional>
#include <string>
#include <vector>

#include "check/pack.h"

struct PackContents {
    PackProgram program;
    std::vector<PackFile> files;
    std::vector<std::string> leftOut;  // names in the package, Shift-JIS; a folder ends in "\"
    std::vector<std::string> paths;    // where the program and the files were read from
};

// nullopt with the reason in error when the folder holds no setup program or a file cannot be read.
std::optional<PackContents> CollectPackContents(const std::string& folder, std::string& error);
