#pragma once
// Copying a file into its place: staged beside the destination, then put in place in one
// step, so that a run cut short never leaves a file half-written where it belongs.
#include <string>
#include <unordered_map>
#include <vector>

#include "owned_win.h"

// Replaces the destination (read-only, hidden or system marks cleared) with the source's
// bytes and times and the archive mark alone; 0 or the system's error. A copy that fails
// half-way is removed. The buffer is grown as needed and may be kept for the next call.
[[nodiscard]] unsigned long CopyOneFile(const std::string& source, const std::string& destination,
                                        std::vector<char>& buffer);
[[nodiscard]] unsigned long CopyOneFile(const std::string& source, const std::string& destination);
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
// The file in a staging folder that is to take the destination's place.
std::string StagedPath(const std::string& staging, const std::string& destination);
// Copies the source into the staging folder under the destination's name, then puts it in
// place: until that moment the destination keeps its old bytes, whatever happens; a failed
// copy leaves it as it was. Times and marks as CopyOneFile gives them. A destination another
// program holds (ERROR_SHARING_VIOLATION) leaves the staged file for a replacement at restart.
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
