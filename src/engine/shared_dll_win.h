#pragma once
// The system's reference counts of shared files and components' self-registration.
#include <string>

#include "engine/shared_dll.h"

unsigned long ReadSharedCount(const std::string& path);
// Raises or lowers the count and returns the new one; a count that drops to 0 is removed.
unsigned long ChangeSharedCount(const std::string& path, bool raise);
// True only when registration was asked for and DllRegisterServer returned 0.
bool RegisterComponent(const std::string& path, bool registerIt);
