#include "engine/file_copy_win.h"

#include <windows.h>

#include "engine/code_page.h"
#include "engine/environment.h"
#include "engine/file_delete_win.h"
#include "engine/files_win.h"
#include "engine/messages_win.h"
#include "engine/paths.h"
#include "engine/payload_win.h"
#include "engine/strings.h"
#include "system_files_win.h"

namespace {

// Large enough that even the package's biggest files take a few calls, small enough for Windows 95.
constexpr DWORD kCopyChunk = 256 * 1024;

HANDLE CreateDestination(const std::string& destination) {
    return CreateFile932(destination.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_ARCHIVE | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}

// Held by another program: what a copy onto it would meet.
bool InUse(const std::string& path) {
    OwnedHandle file(
        CreateFile932(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return !file.valid() && GetLastError() == ERROR_SHARING_VIOLATION;
}

// Read-only, hidden and system files refuse to be replaced; true when a mark was cleared.
bool ClearMarks(const std::string& path) {
    const DWORD old = GetFileAttributes932(path.c_str());
    const DWORD marks = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    return old != INVALID_FILE_ATTRIBUTES && (old & marks) &&
           SetFileAttributes932(path.c_str(), FILE_ATTRIBUTE_ARCHIVE);
}

// Read-only, hidden and system files refuse to be replaced; the copy clears those marks.
HANDLE ReplaceDestination(const std::string& destination) {
    HANDLE to = CreateDestination(destination);
    if (to != INVALID_HANDLE_VALUE || GetLastError() != ERROR_ACCESS_DENIED) return to;
    if (!ClearMarks(destination)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return to;
    }
    return CreateDestination(destination);
}

// The bytes, then the source's times; 0 or the system's error.
DWORD MoveBytes(HANDLE from, HANDLE to, std::vector<char>& buffer) {
    DWORD got = 0, put = 0;
    for (;;) {
        if (!ReadFile(from, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) return GetLastError();
        if (got == 0) break;
        if (!WriteFile(to, buffer.data(), got, &put, nullptr)) return GetLastError();
        if (put != got) return ERROR_DISK_FULL;
    }
    FILETIME access, write;
    if (!GetFileTime(from, nullptr, &access, &write) || !SetFileTime(to, nullptr, &access, &write))
        return GetLastError();
    return 0;
}

}  // namespace

unsigned long CopyOneFile(const std::string& source, const std::string& destination, std::vector<char>& buffer) {
    // Each name is opened once: the system's copy looks the destination up twice more, and
    // under Wine every lookup of a name not there yet reads its whole folder.
    // Shared as the system's copy shares it (Windows 95 knows no sharing of deletes).
    DWORD error = 0;
    bool marked = false;
    {
        const OwnedHandle from(CreateFile932(source.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                             OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (!from.valid()) return GetLastError();
        const OwnedHandle to(ReplaceDestination(destination));
        if (!to.valid()) return GetLastError();
        buffer.resize(kCopyChunk);
        error = MoveBytes(from.get(), to.get(), buffer);
        BY_HANDLE_FILE_INFORMATION info;
        // An existing file keeps marks such as "compressed"; the copy is to carry the archive mark alone.
        marked =
            !error && GetFileInformationByHandle(to.get(), &info) && info.dwFileAttributes != FILE_ATTRIBUTE_ARCHIVE;
    }
    // Both files are closed now. As the system's copy does: a copy that failed half-way is not left looking installed.
    if (error) DeleteFile932(destination.c_str());
    if (marked) SetFileAttributes932(destination.c_str(), FILE_ATTRIBUTE_ARCHIVE);
    return error;
}

unsigned long CopyOneFile(const std::string& source, const std::string& destination) {
    std::vector<char> buffer;
    return CopyOneFile(source, destination, buffer);
}

namespace {

// A move that failed for the destination: in use, or refused for its marks (then once more).
template <typename Move>
DWORD RetryRefusedMove(const std::string& destination, DWORD error, Move move) {
    if (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) return error;
    if (InUse(destination)) return ERROR_SHARING_VIOLATION;
    if (!ClearMarks(destination)) return error;
    return move() ? 0 : GetLastError();
}

bool NoReplacingMove() { return Environment().OsFamily == WindowsFamily::NotNt; }

std::string AsideName(const std::string& temporary) { return temporary + ".OLD"; }

DWORD RenameSequence(const std::string& temporary, const std::string& destination) {
    if (MoveFile932(temporary.c_str(), destination.c_str())) return 0;  // nothing to replace
    DWORD error = GetLastError();
    if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) return error;
    if (NamesFolder(destination)) return ERROR_ACCESS_DENIED;  // as a replacing move answers: a folder is no file
    const std::string aside = AsideName(temporary);
    auto toAside = [&] { return MoveFile932(destination.c_str(), aside.c_str()) != FALSE; };
    if (!toAside() && (error = RetryRefusedMove(destination, GetLastError(), toAside)) != 0) return error;
    if (!MoveFile932(temporary.c_str(), destination.c_str())) {
        error = GetLastError();
        MoveFile932(aside.c_str(), destination.c_str());
        return error;
    }
    SetFileAttributes932(aside.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFile932(aside.c_str());
    return 0;
}

}  // namespace

unsigned long PutInPlace(const std::string& temporary, const std::string& destination) {
    if (NoReplacingMove()) return RenameSequence(temporary, destination);
    auto move = [&] {
        return MoveFileEx932(temporary.c_str(), destination.c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
    };
    return move() ? 0 : RetryRefusedMove(destination, GetLastError(), move);
}

void RecoverPutInPlace(const std::string& temporary, const std::string& destination) {
    const std::string aside = AsideName(temporary);
    if (!FileExists(aside)) return;
    if (!FileExists(destination)) {
        MoveFile932(aside.c_str(), destination.c_str());
        return;
    }
    SetFileAttributes932(aside.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFile932(aside.c_str());
}

std::string StagingFolderOf(const std::string& destination) { return FolderOfPath(destination) + "~KSCOPY\\"; }

std::string StagedPath(const std::string& staging, const std::string& destination) {
    return staging + NameOfPath(destination);
}

unsigned long CopyIntoPlace(const std::string& source, const std::string& destination, const std::string& staging,
                            std::vector<char>& buffer) {
    const std::string staged = StagedPath(staging, destination);
    if (NoReplacingMove()) RecoverPutInPlace(staged, destination);
    // A file of a one-file package may still be in its payload: it is written from there.
    const unsigned long copied =
        CopiedPackageFile(source) ? WriteCopiedFile(source, staged, destination) : CopyOneFile(source, staged, buffer);
    if (copied) return copied;
    const unsigned long error = PutInPlace(staged, destination);
    if (error && error != ERROR_SHARING_VIOLATION) DeleteFile932(staged.c_str());
    return error;
}

std::string StagingFolders::For(const std::string& destination) {
    const std::string folder = StagingFolderOf(destination);
    auto [it, added] = made_.try_emplace(MapString(folder, kMapUpperCase), folder);
    // A folder left by a run cut short is taken as it is.
    if (added) CreateDirectory932(RemovePathDelimiter(folder, "B").c_str(), nullptr);
    return it->second;
}

void StagingFolders::Note(const std::string& destination) {
    const std::string folder = StagingFolderOf(destination);
    noted_.try_emplace(MapString(folder, kMapUpperCase), folder);
}

void StagingFolders::RemoveAll() {
    for (const auto& [key, folder] : noted_)
        if (!made_.count(key) && FolderExists(folder)) made_.emplace(key, folder);
    for (const auto& [key, folder] : made_) (void)RemoveFolderWithPatterns(folder, "*.*|");  // tidying only
    made_.clear();
    noted_.clear();
}

void BackgroundCopy::StartThread() {
    start_.reset(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    done_.reset(CreateEventA(nullptr, TRUE, TRUE, nullptr));
    DWORD id = 0;  // Windows 95 refuses a thread without a place for its id
    if (start_.valid() && done_.valid()) thread_.reset(CreateThread(nullptr, 0, Work, this, 0, &id));
}

unsigned long __stdcall BackgroundCopy::Work(void* self) {
    auto& copy = *static_cast<BackgroundCopy*>(self);
    for (;;) {
        WaitForSingleObject(copy.start_.get(), INFINITE);
        if (copy.quit_) return 0;
        copy.result_ = CopyIntoPlace(copy.source_, copy.destination_, copy.staging_, copy.buffer_);
        SetEvent(copy.done_.get());
    }
}

void BackgroundCopy::Start(const std::string& source, const std::string& destination, const std::string& staging) {
    source_ = source;
    destination_ = destination;
    staging_ = staging;
    buffer_.resize(kCopyChunk);  // grown here: an allocation failure is no business of the thread
    if (!start_.valid()) StartThread();
    if (!thread_.valid()) {
        result_ = CopyIntoPlace(source_, destination_, staging_, buffer_);
        return;
    }
    ResetEvent(done_.get());
    SetEvent(start_.get());
}

unsigned long BackgroundCopy::Finish() {
    if (thread_.valid()) {
        WaitWithMessages(done_.get());
        WaitForSingleObject(done_.get(), INFINITE);  // the wait above also ends on a quit message
    }
    return result_;
}

BackgroundCopy::~BackgroundCopy() {
    if (thread_.valid()) {
        WaitForSingleObject(done_.get(), INFINITE);  // never leave a file half-written behind
        quit_ = true;
        SetEvent(start_.get());
        WaitForSingleObject(thread_.get(), INFINITE);
    }
}
