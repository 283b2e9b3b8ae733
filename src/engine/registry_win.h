#pragma once
// Registry access by the script's root tags: "(Cuser)", "(Class)", "(Local)", "(Users)".
#include <windows.h>

#include <string>

#include "engine/registry_names.h"

// The root a seven-character tag names; any other text means the current user.
HKEY RegistryRootFor(const std::string& tag);
// A text or expandable-text value, or empty when the key or value is missing or of another type.
std::string ReadRegistryText(HKEY root, const std::string& keyPath, const std::string& valueName);
// Deletes the key with all its subkeys (repeatedly, as long as it is still there). A removal
// reports no key it could not delete, so nothing comes back.
void DeleteRegistryKey(const std::string& rootTag, const std::string& keyPath);
