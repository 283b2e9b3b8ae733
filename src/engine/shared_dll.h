#pragma once
#include <string>

// A component file is any path that mentions ".OCX" or ".DLL", in any letter case.
bool IsComponentFile(const std::string& path);
