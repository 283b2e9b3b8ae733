#pragma once
#include <string>

// A component file is any path that mentions ".OCX" or ".DLL", in any letter case.
bool IsComponentFile(const std::string& path);

// A key that two file names share whenever the registry takes them for one value name:
// ASCII letters in upper case, every double-byte character alike (its case partners are
// double-byte too). Names with different keys are surely different values.
std::string SharedNameKey(const std::string& name);
