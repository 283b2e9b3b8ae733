#pragma once
// The system's reference counts of shared files and components' self-registration.
#include <string>
#include <unordered_map>

#include "engine/shared_dll.h"

unsigned long ReadSharedCount(const std::string& path);
// The names the system keeps counts for, read once: a file whose name is not among them has
// no count without a registry read (a round trip each, for thousands of logged files).
class SharedCountNames {
public:
    SharedCountNames();
    unsigned long Read(const std::string& path) const;  // as ReadSharedCount

private:
    std::unordered_map<std::string, long> keys_;  // SharedNameKey of each name (the value unused)
    bool complete_ = false;                       // every name could be read
};
// Raises or lowers the count and returns the new one; a count that drops to 0 is removed.
unsigned long ChangeSharedCount(const std::string& path, bool raise);
// What registering (DllRegisterServer) or unregistering (DllUnregisterServer, whose own
// answer nobody acts on) a component came to; the run reports the failures.
enum class ComponentRegistration { Registered, Unregistered, NotLoaded, NoEntryPoint, EntryFailed };
[[nodiscard]] ComponentRegistration RegisterComponent(const std::string& path, bool registerIt);
