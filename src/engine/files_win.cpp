#include "engine/files_win.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cmath>
#include <vector>

#include "engine/code_page.h"
#include "engine/environment.h"
#include "owned_win.h"
#include "engine/messages_win.h"
#include "engine/paths.h"
#include "engine/strings.h"
#include "engine/shared_dll_win.h"
#include "system_dll_win.h"

namespace {

bool FindEntry(const std::string& path, WIN32_FIND_DATAA& data) {
    return OwnedFind(FindFirstFileA(path.c_str(), &data)).valid();
}

long PackedAge(const WIN32_FIND_DATAA& data) {
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -1;
    FILETIME local;
    WORD date = 0, time = 0;
    if (!FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) || !FileTimeToDosDateTime(&local, &date, &time))
        return -1;
    return static_cast<long>((static_cast<unsigned long>(date) << 16) | time);
}

std::string UpperName(const std::string& name) { return MapString(name, kMapUpperCase); }

}  // namespace

bool FileExists(const std::string& path) {
    WIN32_FIND_DATAA data;
    return FindEntry(path, data);
}

FileStamp ReadFileStamp(const std::string& path) {
    WIN32_FIND_DATAA data;
    if (!FindEntry(path, data)) return {};
    return {true, PackedAge(data), (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow};
}

long FileAge(const std::string& path) { return ReadFileStamp(path).age; }

FolderListing::Entry FolderListing::Find(const std::string& path) {
    const std::string name = NameOfPath(path);
    if (name.empty() || HasWildcard(name)) return {FileExists(path), FileAge(path)};
    auto& folder = Listing(FolderOfPath(path));
    auto it = folder.find(UpperName(name));
    if (it == folder.end()) return {false, -1};
    return {true, it->second};
}

void FolderListing::Update(const std::string& path) {
    const std::string name = NameOfPath(path);
    auto& folder = Listing(FolderOfPath(path));
    WIN32_FIND_DATAA data;
    if (FindEntry(path, data)) folder[UpperName(name)] = PackedAge(data);
    else folder.erase(UpperName(name));
}

void FolderListing::Record(const std::string& path, long age) {
    Listing(FolderOfPath(path))[UpperName(NameOfPath(path))] = age;
}

std::unordered_map<std::string, long>& FolderListing::Listing(const std::string& folder) {
    auto [it, added] = folders_.try_emplace(UpperName(folder));
    if (!added) return it->second;
    WIN32_FIND_DATAA data;
    const OwnedFind find(FindFirstFileA((AddPathDelimiter(folder, "B") + "*").c_str(), &data));
    if (!find.valid()) return it->second;
    do {
        // Both the long and the short name find the file, as a lookup by name would.
        it->second[UpperName(data.cFileName)] = PackedAge(data);
        if (data.cAlternateFileName[0]) it->second[UpperName(data.cAlternateFileName)] = PackedAge(data);
    } while (FindNextFileA(find.get(), &data));
    return it->second;
}

std::int64_t FileSize(const std::string& path) { return ReadFileStamp(path).size; }

bool FolderExists(const std::string& path) { return FileExists(RemovePathDelimiter(path, "B") + "\\*.*"); }

bool NamesFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool CreateFolderPath(const std::string& path) {
    const std::string full = AddPathDelimiter(path, "B");
    bool result = true;
    for (std::size_t i = 0; i < full.size(); ++i) {
        if (!IsPathDelimiterAt(full, i)) continue;
        const std::string level = full.substr(0, i + 1);
        if (!FolderExists(level)) result = CreateDirectoryA(level.c_str(), nullptr) != FALSE;
    }
    return result;
}

unsigned long RemoveFolderWithPatterns(const std::string& folder, const std::string& patterns) {
    const std::string base = AddPathDelimiter(folder, "B");
    // Each pattern ends in "|" (the last one may not); "|" can be a trail byte, so search lead-byte aware.
    std::string rest = patterns;
    while (!rest.empty()) {
        int bar = FindText("|", rest);
        std::string pattern = bar ? rest.substr(0, static_cast<std::size_t>(bar - 1)) : rest;
        rest = bar ? rest.substr(static_cast<std::size_t>(bar)) : "";
        if (!pattern.empty()) ShellDeleteFile(base + pattern);
    }
    if (RemoveDirectoryA(RemovePathDelimiter(base, "B").c_str())) return 0;
    return GetLastError();
}

namespace {

// Large enough that even the package's biggest files take a few calls, small enough for Windows 95.
constexpr DWORD kCopyChunk = 256 * 1024;

HANDLE CreateDestination(const std::string& destination) {
    return CreateFileA(destination.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_ARCHIVE | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}

// Held by another program: what a copy onto it would meet.
bool InUse(const std::string& path) {
    OwnedHandle file(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return !file.valid() && GetLastError() == ERROR_SHARING_VIOLATION;
}

// Read-only, hidden and system files refuse to be replaced; true when a mark was cleared.
bool ClearMarks(const std::string& path) {
    const DWORD old = GetFileAttributesA(path.c_str());
    const DWORD marks = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    return old != INVALID_FILE_ATTRIBUTES && (old & marks) && SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_ARCHIVE);
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
        const OwnedHandle from(CreateFileA(source.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
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
    if (error) DeleteFileA(destination.c_str());
    if (marked) SetFileAttributesA(destination.c_str(), FILE_ATTRIBUTE_ARCHIVE);
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
    if (MoveFileA(temporary.c_str(), destination.c_str())) return 0;  // nothing to replace
    DWORD error = GetLastError();
    if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) return error;
    if (NamesFolder(destination)) return ERROR_ACCESS_DENIED;  // as a replacing move answers: a folder is no file
    const std::string aside = AsideName(temporary);
    auto toAside = [&] { return MoveFileA(destination.c_str(), aside.c_str()) != FALSE; };
    if (!toAside() && (error = RetryRefusedMove(destination, GetLastError(), toAside)) != 0) return error;
    if (!MoveFileA(temporary.c_str(), destination.c_str())) {
        error = GetLastError();
        MoveFileA(aside.c_str(), destination.c_str());
        return error;
    }
    SetFileAttributesA(aside.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(aside.c_str());
    return 0;
}

}  // namespace

unsigned long PutInPlace(const std::string& temporary, const std::string& destination) {
    if (NoReplacingMove()) return RenameSequence(temporary, destination);
    auto move = [&] {
        return MoveFileExA(temporary.c_str(), destination.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
    };
    return move() ? 0 : RetryRefusedMove(destination, GetLastError(), move);
}

void RecoverPutInPlace(const std::string& temporary, const std::string& destination) {
    const std::string aside = AsideName(temporary);
    if (!FileExists(aside)) return;
    if (!FileExists(destination)) {
        MoveFileA(aside.c_str(), destination.c_str());
        return;
    }
    SetFileAttributesA(aside.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(aside.c_str());
}

std::string StagingFolderOf(const std::string& destination) { return FolderOfPath(destination) + "~KSCOPY\\"; }

unsigned long CopyIntoPlace(const std::string& source, const std::string& destination, const std::string& staging,
                            std::vector<char>& buffer) {
    const std::string staged = staging + NameOfPath(destination);
    if (NoReplacingMove()) RecoverPutInPlace(staged, destination);
    if (const unsigned long error = CopyOneFile(source, staged, buffer)) return error;
    const unsigned long error = PutInPlace(staged, destination);
    if (error) DeleteFileA(staged.c_str());
    return error;
}

std::string StagingFolders::For(const std::string& destination) {
    const std::string folder = StagingFolderOf(destination);
    auto [it, added] = made_.try_emplace(UpperName(folder), folder);
    // A folder left by a run cut short is taken as it is.
    if (added) CreateDirectoryA(RemovePathDelimiter(folder, "B").c_str(), nullptr);
    return it->second;
}

void StagingFolders::Note(const std::string& destination) {
    const std::string folder = StagingFolderOf(destination);
    noted_.try_emplace(UpperName(folder), folder);
}

void StagingFolders::RemoveAll() {
    for (const auto& [key, folder] : noted_)
        if (!made_.count(key) && FolderExists(folder)) made_.emplace(key, folder);
    for (const auto& [key, folder] : made_) RemoveFolderWithPatterns(folder, "*.*|");
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

std::string ReadWholeFile(const std::string& path) {
    const OwnedHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return "";
    std::string text;
    char buffer[16384];
    DWORD got = 0;
    while (ReadFile(file.get(), buffer, sizeof(buffer), &got, nullptr) && got > 0) text.append(buffer, got);
    return text;
}

namespace {

std::vector<OwnedHandle>& HeldFiles() {
    static std::vector<OwnedHandle> held;
    return held;
}

}  // namespace

bool CopyAndHold(const std::string& source, const std::string& copy) {
    if (CopyOneFile(source, copy) != 0) return false;
    OwnedHandle file(CreateFileA(copy.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return false;
    // Held from here on, so what is compared now stays what is read later.
    if (ReadWholeFile(copy) != ReadWholeFile(source)) return false;
    HeldFiles().push_back(std::move(file));
    return true;
}

void ReleaseHeldFiles() { HeldFiles().clear(); }

unsigned long WriteWholeFile(const std::string& path, const std::string& text) {
    DWORD error = 0;
    {
        const OwnedHandle file(
            CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.valid()) return GetLastError();
        DWORD written = 0;
        if (!WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
            written != text.size() || !FlushFileBuffers(file.get()))
            error = GetLastError() ? GetLastError() : ERROR_WRITE_FAULT;
    }
    if (error) DeleteFileA(path.c_str());
    return error;
}

bool DeleteIfPlainFile(const std::string& path) {
    return !HasWildcard(path) && !IsComponentFile(path) && DeleteFileA(path.c_str());
}

unsigned long ShellDeleteFile(const std::string& path) {
    // Nearly always one plain file that is there: deleting it straight away spares a lookup
    // per file of a long log. A folder, a marked or a missing file fails here.
    return DeleteIfPlainFile(path) ? 0 : ShellDeleteRest(path);
}

unsigned long ShellDeleteRest(const std::string& path) {
    const bool wildcard = HasWildcard(path);
    const DWORD attributes = wildcard ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(path.c_str());
    if (!wildcard && attributes == INVALID_FILE_ATTRIBUTES) return 2;
    // A component that will not unregister is deleted all the same.
    if (IsComponentFile(path)) static_cast<void>(RegisterComponent(path, false));
    if (!wildcard && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        // One plain file: the system's delete does what the shell's would, without the shell's
        // own searches, and its success means the file is gone.
        if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        return DeleteFileA(path.c_str()) ? 0 : GetLastError();
    }
    std::string from = path;
    from.append(2, '\0');
    SHFILEOPSTRUCTA op{};
    op.hwnd = ApplicationWindow();
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;
    SetLastError(0);
    int r = SHFileOperationA(&op);
    DWORD e = GetLastError();
    return (r != 0 && e != 0) ? static_cast<unsigned long>(r) : 0;
}

FreeSpace QueryFreeSpace(const std::string& drive) {
    using Query = BOOL(WINAPI*)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);
    FreeSpace result{false, -1};
    // Looked up: Windows 95 before OSR2 lacks it. KERNEL32 is always loaded, nothing to search.
    auto query = ModuleFunction<Query>(GetModuleHandleA("KERNEL32.DLL"), "GetDiskFreeSpaceExA");
    ULARGE_INTEGER available{}, total{}, free{};
    if (query && query(AddPathDelimiter(drive, "B").c_str(), &available, &total, &free))
        result = {true, static_cast<std::int64_t>(available.QuadPart)};
    return result;
}

FreeSpace QueryFreeSpaceByClusters(const std::string& drive) {
    DWORD sectors = 0, bytes = 0, freeClusters = 0, clusters = 0;
    if (!GetDiskFreeSpaceA(AddPathDelimiter(drive, "B").c_str(), &sectors, &bytes, &freeClusters, &clusters))
        return {false, -1};
    double total = static_cast<double>(freeClusters) * sectors * bytes;
    return {true, static_cast<std::int64_t>(std::llround(total))};
}

long RunAndWait(const std::string& file, const std::string& parameters) {
    const std::string folder = FolderOfPath(file);
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.hwnd = ApplicationWindow();
    info.lpVerb = "open";
    info.lpFile = file.c_str();
    info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
    info.lpDirectory = folder.empty() ? nullptr : folder.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExA(&info)) {
        DWORD error = GetLastError();
        return error ? static_cast<long>(error) : ERROR_FILE_NOT_FOUND;
    }
    if (const OwnedHandle process(info.hProcess); process.valid()) WaitWithMessages(process.get());
    return -1;
}

std::string GetSpecialFolder(int csidl) {
    // The item list comes from the shell's allocator, which on the 95 platform is not COM's.
    OwnedCom<IMalloc> allocator;
    if (FAILED(SHGetMalloc(allocator.put())) || !allocator.valid()) return "";
    std::string result;
    char buffer[MAX_PATH];
    LPITEMIDLIST list = nullptr;
    if (SUCCEEDED(SHGetSpecialFolderLocation(GetDesktopWindow(), csidl, &list)) && list) {
        if (SHGetPathFromIDListA(list, buffer)) result = RemovePathDelimiter(buffer, "B");
        allocator.get()->Free(list);
    }
    return result;
}

std::string GetShortPath(const std::string& path) {
    char buffer[MAX_PATH];
    DWORD n = GetShortPathNameA(path.c_str(), buffer, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return "";
    return std::string(buffer, n);
}

std::string ModulePath() {
    char buffer[MAX_PATH * 2];
    DWORD n = GetModuleFileNameA(nullptr, buffer, sizeof(buffer));
    return std::string(buffer, n);
}
