#pragma once
// File, folder and process helpers shared by start-up, the wizard and the runs.
// None shows a message: they return flags, counts or system error codes.
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "owned_win.h"

bool FileExists(const std::string& path);  // a directory search finds an entry
bool FolderExists(const std::string& path);
// The path itself is a folder: one attribute query, no directory search.
bool NamesFolder(const std::string& path);
bool CreateFolderPath(const std::string& path);
unsigned long RemoveFolderWithPatterns(const std::string& folder, const std::string& patterns);
// Replaces the destination (read-only, hidden or system marks cleared) with the source's
// bytes and times and the archive mark alone; 0 or the system's error. A copy that fails
// half-way is removed. The buffer is grown as needed and may be kept for the next call.
unsigned long CopyOneFile(const std::string& source, const std::string& destination, std::vector<char>& buffer);
unsigned long CopyOneFile(const std::string& source, const std::string& destination);
// Puts a finished file in the destination's place in one step: a replacing move on NT; on the
// 95 platform, which has none, the old file goes aside (temporary + ".OLD"), the new one in,
// and the old is deleted. 0 or the system's error; a destination that another program holds
// is ERROR_SHARING_VIOLATION, as a copy onto it would be. A failure leaves the destination as it was.
[[nodiscard]] unsigned long PutInPlace(const std::string& temporary, const std::string& destination);
// Finishes or undoes the 95 platform's renames after a run cut short between them: the old
// file back where the new one never arrived, or the old one deleted once the new one is in.
void RecoverPutInPlace(const std::string& temporary, const std::string& destination);
// The folder inside the destination's folder where new bytes are written before they take a
// file's place: a folder of its own keeps Wine's lookups of names not yet there short.
std::string StagingFolderOf(const std::string& destination);
// Copies the source into the staging folder under the destination's name, then puts it in
// place: until that moment the destination keeps its old bytes, whatever happens; a failed
// copy leaves it as it was. Times and marks as CopyOneFile gives them.
[[nodiscard]] unsigned long CopyIntoPlace(const std::string& source, const std::string& destination,
                                          const std::string& staging, std::vector<char>& buffer);
// The staging folders of a run: made when first asked for, removed with what a run cut short
// left in them when the run's copies are done.
class StagingFolders {
public:
    StagingFolders() = default;
    StagingFolders(const StagingFolders&) = delete;
    StagingFolders& operator=(const StagingFolders&) = delete;
    ~StagingFolders() { RemoveAll(); }  // also when a run is aborted or stopped
    std::string For(const std::string& destination);
    // A destination left as it is: a folder that a run cut short left beside it goes too.
    void Note(const std::string& destination);
    void RemoveAll();

private:
    std::unordered_map<std::string, std::string> made_;  // upper-case folder -> the folder
    std::unordered_map<std::string, std::string> noted_;
};
// One CopyIntoPlace at a time on a second thread, so that a run's pause after an entry
// overlaps its copy instead of following it. Where no thread can be had, Start copies.
class BackgroundCopy {
public:
    BackgroundCopy() = default;
    BackgroundCopy(const BackgroundCopy&) = delete;
    BackgroundCopy& operator=(const BackgroundCopy&) = delete;
    ~BackgroundCopy();
    void Start(const std::string& source, const std::string& destination, const std::string& staging);
    // Waits for the copy, handling window messages meanwhile; CopyOneFile's result.
    unsigned long Finish();

private:
    void StartThread();
    static unsigned long __stdcall Work(void* self);
    OwnedHandle thread_;
    OwnedHandle start_;  // auto-reset: one copy to do, or the end
    OwnedHandle done_;   // manual reset: set while no copy is under way
    bool quit_ = false;
    std::string source_;
    std::string destination_;
    std::string staging_;
    std::vector<char> buffer_;
    unsigned long result_ = 0;
};
// The whole file as bytes; empty when it cannot be opened or read.
std::string ReadWholeFile(const std::string& path);
// Copies a file and holds the copy open against writing, renaming and deleting until
// ReleaseHeldFiles, once it is known to hold the source's bytes: any program of the user may
// write the temporary folder, and nothing read back from there may be another's. False when
// the copy failed or differs.
bool CopyAndHold(const std::string& source, const std::string& copy);
void ReleaseHeldFiles();
// Writes the whole text in one go; the system's error or 0. A failed write removes the
// file, so no cut file is left behind.
unsigned long WriteWholeFile(const std::string& path, const std::string& text);
// Deletes a file, or what a pattern matches, silently; 0 when done, 2 for a missing file named
// without wildcards. A component is unregistered first. For one plain file, 0 means it is gone.
unsigned long ShellDeleteFile(const std::string& path);
// Deletes at once a file named without wildcards that is no component; true when it is gone.
// A folder, a marked or missing file, a component or a pattern is left as it was.
bool DeleteIfPlainFile(const std::string& path);
// ShellDeleteFile once DeleteIfPlainFile has failed for the path: a missing name is not
// looked up twice.
unsigned long ShellDeleteRest(const std::string& path);
// What one directory search tells of a file: whether it is there, its time as the packed
// local date and time of the file system (2-second steps; -1 for none or a folder), its size.
struct FileStamp {
    bool exists = false;
    long age = -1;
    std::int64_t size = -1;
};
FileStamp ReadFileStamp(const std::string& path);
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
