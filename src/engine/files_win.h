#pragma once
// File, folder and process helpers shared by start-up, the wizard and the runs.
// None shows a message: they return flags, counts or system error codes.
#include <cstdint>
#include <string>

bool FileExists(const std::string& path);  // a directory search finds an entry
bool FolderExists(const std::string& path);
bool CreateFolderPath(const std::string& path);
unsigned long RemoveFolderWithPatterns(const std::string& folder, const std::string& patterns);
unsigned long CopyOneFile(const std::string& source, const std::string& destination);
unsigned long ShellDeleteFile(const std::string& path);
// The file's time as the packed local date and time of the file system (2-second steps), or -1.
long FileAge(const std::string& path);
// The file's size in bytes, or -1 when a directory search does not find it.
std::int64_t FileSize(const std::string& path);

struct FreeSpace {
    bool ok;
    std::int64_t bytes;  // -1 when not known
};
FreeSpace QueryFreeSpace(const std::string& drive);
FreeSpace QueryFreeSpaceByClusters(const std::string& drive);

// Starts the file through the shell and waits for its process to end, handling window
// messages meanwhile. Returns -1 once it ended, or the system error when it could not start.
long RunAndWait(const std::string& file, const std::string& parameters);

std::string GetSpecialFolder(int csidl);
std::string GetShortPath(const std::string& path);
std::string ModulePath();
