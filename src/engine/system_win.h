#pragma once
// What the system is asked outside files: free space, a started program's end, shell
// folders, short names and the program's own path.
#include <cstdint>
#include <string>

struct FreeSpace {
    bool ok;
    std::int64_t bytes;  // -1 when not known
};
FreeSpace QueryFreeSpace(const std::string& drive);
FreeSpace QueryFreeSpaceByClusters(const std::string& drive);

// Starts the file through the shell and waits for its process to end, handling window
// messages meanwhile. Returns 0 once it ended, or the system error when it could not start.
[[nodiscard]] unsigned long RunAndWait(const std::string& file, const std::string& parameters);

std::string GetSpecialFolder(int csidl);
std::string GetShortPath(const std::string& path);
std::string ModulePath();
