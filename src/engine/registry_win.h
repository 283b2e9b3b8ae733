#pragma once
// Registry access by the script's root tags: "(Cuser)", "(Class)", "(Local)", "(Users)".
#include <windows.h>

#include <string>

#include "engine/registry_names.h"

// The registry in code page 932 text, in the shape of the A functions (system_files_win.h):
// key and value names, and the texts of REG_SZ, REG_EXPAND_SZ and REG_MULTI_SZ values, counted
// in bytes of code page 932, stored as the UTF-16 the system keeps; other data as it is.
LONG RegOpenKeyEx932(HKEY root, const char* path, DWORD options, REGSAM access, HKEY* key);
LONG RegCreateKeyEx932(HKEY root, const char* path, DWORD options, REGSAM access, HKEY* key);
LONG RegQueryValueEx932(HKEY key, const char* name, DWORD* type, BYTE* data, DWORD* size);
LONG RegSetValueEx932(HKEY key, const char* name, DWORD type, const BYTE* data, DWORD size);
// The name of the value at index into name, length bytes with its end; on success its length.
LONG RegEnumValueName932(HKEY key, DWORD index, char* name, DWORD* length);
LONG RegDeleteValue932(HKEY key, const char* name);
LONG SHDeleteKey932(HKEY root, const char* path);

// The root a seven-character tag names; any other text means the current user.
HKEY RegistryRootFor(const std::string& tag);
// A text or expandable-text value, or empty when the key or value is missing or of another type.
std::string ReadRegistryText(HKEY root, const std::string& keyPath, const std::string& valueName);
// Deletes the key with all its subkeys (repeatedly, as long as it is still there). A removal
// reports no key it could not delete, so nothing comes back.
void DeleteRegistryKey(const std::string& rootTag, const std::string& keyPath);
