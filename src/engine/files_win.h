#pragma once
// Files and folders as start-up, the wizard and the runs look them up, make them, read and
// write them whole. None shows a message: they return flags or system error codes.
#include <cstdint>
#include <string>
#include <unordered_map>

bool FileExists(const std::string& path);  // a directory search finds an entry
bool FolderExists(const std::string& path);
// The path itself is a folder: one attribute query, no directory search.
bool NamesFolder(const std::string& path);
// Makes the folder and every missing one above it; 0, or the error of the last level made.
[[nodiscard]] unsigned long CreateFolderPath(const std::string& path);
// The whole file as bytes; empty when it cannot be opened or read.
std::string ReadWholeFile(const std::string& path);
// Writes the whole text in one go; the system's error or 0. A failed write removes the
// file, so no cut file is left behind.
[[nodiscard]] unsigned long WriteWholeFile(const std::string& path, const std::string& text);
// What one directory search tells of a file: whether it is there, its time as the packed
// local date and time of the file system (2-second steps; -1 for none or a folder), its size.
struct FileStamp {
    bool exists = false;
    long age = -1;
    std::int64_t size = -1;
};
FileStamp ReadFileStamp(const std::string& path);
// A write time (FILETIME) as the packed local date and time that ages are.
long FileTimeAge(std::uint64_t writeTime);
long FileAge(const std::string& path);
// What folders held when first asked about, kept current by the caller after each write:
// one scan of a folder instead of one per name that is not there yet (the file system
// scans the whole folder for each such name, which grows with thousands of files).
class FolderListing {
public:
    struct Entry {
        bool exists;
        long age;  // as FileAge; -1 for a folder
    };
    Entry Find(const std::string& path);
    // Reads one name again after it was written or removed.
    void Update(const std::string& path);
    // Notes a file just written with a known time, without asking the file system.
    void Record(const std::string& path, long age);

private:
    std::unordered_map<std::string, long>& Listing(const std::string& folder);
    std::unordered_map<std::string, std::unordered_map<std::string, long>> folders_;
};

// The file's size in bytes, or -1 when a directory search does not find it.
std::int64_t FileSize(const std::string& path);
