#pragma once
// The registry's names as the script and the system spell them, without the system's calls.
#include <string>

// Where the program list of the control panel keeps one key per installed product.
constexpr const char* kUninstallKeyRoot = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
// Where the shared-file counts live (under HKEY_LOCAL_MACHINE), one value per shared file.
constexpr const char* kSharedDllsKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

// Whether the seven characters are one of the four root tags, letter case as shown.
bool IsRootTag(const std::string& tag);
// The root's system name ("HKEY_LOCAL_MACHINE"); any text but a root tag means the current user.
const char* RegistryRootName(const std::string& tag);
