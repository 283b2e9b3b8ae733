#include "system_files_win.h"

#include <cstddef>
#include <cstring>
#include <cwchar>

#include "system_dll_win.h"
#include "system_text_win.h"

namespace {

// The longest text a wrapper converts, in UTF-16 units: past any path the A functions take.
constexpr DWORD kUnits = 1000;

// A text converted on the caller's stack, for one call: nothing shared, as the copy thread
// names files too, and nothing to release. A null text stays null, which several calls read
// as "none"; one too long becomes a name that no call accepts, never a shorter one.
class WideText {
public:
    explicit WideText(const char* text);
    operator const wchar_t*() const { return text_; }  // NOLINT(google-explicit-constructor): made for the calls

private:
    wchar_t buffer_[kUnits];
    const wchar_t* text_ = nullptr;
};

WideText::WideText(const char* text) {
    if (!text) return;
    const std::wstring wide = Wide(text);
    text_ = wide.size() < kUnits ? wide.c_str() : L"|";
    std::wcscpy(buffer_, text_);
    text_ = buffer_;
}

// A W function's answer of made units, put into the caller's buffer of size bytes as the A
// function answers: the length when the text fits with its end, else the size it needs.
DWORD PutText(DWORD made, const wchar_t* wide, char* buffer, DWORD size) {
    if (made == 0 || made >= kUnits) return 0;
    const std::string text = Narrow(std::wstring_view(wide, made));
    if (text.size() >= size) return static_cast<DWORD>(text.size() + 1);
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return static_cast<DWORD>(text.size());
}

void PutName(const wchar_t* name, char* field, std::size_t size) {
    const std::string text = Narrow(name);
    const std::size_t n = text.size() < size ? text.size() : 0;
    std::memcpy(field, text.data(), n);
    field[n] = '\0';
}

BOOL ToNarrowData(BOOL found, const WIN32_FIND_DATAW& wide, WIN32_FIND_DATAA* data) {
    if (!found) return FALSE;
    // The two layouts agree up to the names.
    std::memcpy(data, &wide, offsetof(WIN32_FIND_DATAW, cFileName));
    PutName(wide.cAlternateFileName, data->cAlternateFileName, sizeof data->cAlternateFileName);
    PutName(wide.cFileName, data->cFileName, sizeof data->cFileName);
    if (!data->cFileName[0]) std::memcpy(data->cFileName, data->cAlternateFileName, sizeof data->cAlternateFileName);
    return TRUE;
}

}  // namespace

HANDLE CreateFile932(const char* path, DWORD access, DWORD share, SECURITY_ATTRIBUTES* security, DWORD disposition,
                     DWORD flags, HANDLE model) {
    if (WideCalls()) return CreateFileW(WideText(path), access, share, security, disposition, flags, model);
    return CreateFileA(path, access, share, security, disposition, flags, model);
}

BOOL DeleteFile932(const char* path) { return WideCalls() ? DeleteFileW(WideText(path)) : DeleteFileA(path); }

DWORD GetFileAttributes932(const char* path) {
    return WideCalls() ? GetFileAttributesW(WideText(path)) : GetFileAttributesA(path);
}

BOOL SetFileAttributes932(const char* path, DWORD attributes) {
    return WideCalls() ? SetFileAttributesW(WideText(path), attributes) : SetFileAttributesA(path, attributes);
}

BOOL MoveFile932(const char* from, const char* to) {
    return WideCalls() ? MoveFileW(WideText(from), WideText(to)) : MoveFileA(from, to);
}

BOOL MoveFileEx932(const char* from, const char* to, DWORD flags) {
    return WideCalls() ? MoveFileExW(WideText(from), WideText(to), flags) : MoveFileExA(from, to, flags);
}

BOOL CopyFile932(const char* from, const char* to, BOOL failIfThere) {
    return WideCalls() ? CopyFileW(WideText(from), WideText(to), failIfThere) : CopyFileA(from, to, failIfThere);
}

BOOL CreateDirectory932(const char* path, SECURITY_ATTRIBUTES* security) {
    return WideCalls() ? CreateDirectoryW(WideText(path), security) : CreateDirectoryA(path, security);
}

BOOL RemoveDirectory932(const char* path) {
    return WideCalls() ? RemoveDirectoryW(WideText(path)) : RemoveDirectoryA(path);
}

BOOL SetCurrentDirectory932(const char* path) {
    return WideCalls() ? SetCurrentDirectoryW(WideText(path)) : SetCurrentDirectoryA(path);
}

HANDLE FindFirstFile932(const char* pattern, WIN32_FIND_DATAA* data) {
    if (!WideCalls()) return FindFirstFileA(pattern, data);
    WIN32_FIND_DATAW wide;
    const HANDLE find = FindFirstFileW(WideText(pattern), &wide);
    ToNarrowData(find != INVALID_HANDLE_VALUE, wide, data);
    return find;
}

BOOL FindNextFile932(HANDLE find, WIN32_FIND_DATAA* data) {
    if (!WideCalls()) return FindNextFileA(find, data);
    WIN32_FIND_DATAW wide;
    return ToNarrowData(FindNextFileW(find, &wide), wide, data);
}

DWORD GetFullPathName932(const char* path, DWORD size, char* buffer) {
    if (!WideCalls()) return GetFullPathNameA(path, size, buffer, nullptr);
    wchar_t out[kUnits];
    return PutText(GetFullPathNameW(WideText(path), kUnits, out, nullptr), out, buffer, size);
}

DWORD GetShortPathName932(const char* path, char* buffer, DWORD size) {
    if (!WideCalls()) return GetShortPathNameA(path, buffer, size);
    wchar_t out[kUnits];
    return PutText(GetShortPathNameW(WideText(path), out, kUnits), out, buffer, size);
}

DWORD GetLongPathName932(const char* path, char* buffer, DWORD size) {
    if (!WideCalls()) return GetLongPathNameA(path, buffer, size);
    wchar_t out[kUnits];
    return PutText(GetLongPathNameW(WideText(path), out, kUnits), out, buffer, size);
}

DWORD GetTempPath932(DWORD size, char* buffer) {
    if (!WideCalls()) return GetTempPathA(size, buffer);
    wchar_t out[kUnits];
    return PutText(GetTempPathW(kUnits, out), out, buffer, size);
}

UINT GetTempFileName932(const char* folder, const char* prefix, UINT unique, char* buffer) {
    if (!WideCalls()) return GetTempFileNameA(folder, prefix, unique, buffer);
    wchar_t wide[MAX_PATH];
    const UINT made = GetTempFileNameW(WideText(folder), WideText(prefix), unique, wide);
    if (made == 0) return 0;
    if (PutText(static_cast<DWORD>(std::wcslen(wide)), wide, buffer, MAX_PATH) < MAX_PATH) return made;
    // A name the caller cannot hold is no file of its: the one made for it goes again.
    if (unique == 0) DeleteFileW(wide);
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return 0;
}

UINT GetSystemDirectory932(char* buffer, UINT size) {
    if (!WideCalls()) return GetSystemDirectoryA(buffer, size);
    wchar_t out[kUnits];
    return PutText(GetSystemDirectoryW(out, kUnits), out, buffer, size);
}

UINT GetWindowsDirectory932(char* buffer, UINT size) {
    if (!WideCalls()) return GetWindowsDirectoryA(buffer, size);
    wchar_t out[kUnits];
    return PutText(GetWindowsDirectoryW(out, kUnits), out, buffer, size);
}

DWORD GetModuleFileName932(HMODULE module, char* buffer, DWORD size) {
    if (!WideCalls()) return GetModuleFileNameA(module, buffer, size);
    wchar_t out[kUnits];
    const DWORD n = PutText(GetModuleFileNameW(module, out, kUnits), out, buffer, size);
    // The A function never answers more than the buffer: a path too long for it is a failure.
    if (n < size) return n;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
}

BOOL GetDiskFreeSpace932(const char* root, DWORD* sectorsPerCluster, DWORD* bytesPerSector, DWORD* freeClusters,
                         DWORD* clusters) {
    if (WideCalls())
        return GetDiskFreeSpaceW(WideText(root), sectorsPerCluster, bytesPerSector, freeClusters, clusters);
    return GetDiskFreeSpaceA(root, sectorsPerCluster, bytesPerSector, freeClusters, clusters);
}

BOOL GetDiskFreeSpaceEx932(const char* root, ULARGE_INTEGER* available, ULARGE_INTEGER* total, ULARGE_INTEGER* free) {
    // Looked up: Windows 95 before OSR2 lacks it.
    using Ansi = BOOL(WINAPI*)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);
    using Unicode = BOOL(WINAPI*)(LPCWSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);
    const HMODULE kernel = GetModuleHandleA("KERNEL32.DLL");
    if (WideCalls()) {
        if (const auto query = ModuleFunction<Unicode>(kernel, "GetDiskFreeSpaceExW"))
            return query(WideText(root), available, total, free);
    } else if (const auto query = ModuleFunction<Ansi>(kernel, "GetDiskFreeSpaceExA")) {
        return query(root, available, total, free);
    }
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return FALSE;
}

BOOL GetPathFromIDList932(LPCITEMIDLIST list, char* buffer) {
    const auto unicode = ShellWide<decltype(&SHGetPathFromIDListW)>("SHGetPathFromIDListW");
    if (!unicode) return SHGetPathFromIDListA(list, buffer);
    wchar_t wide[MAX_PATH];
    if (!unicode(list, wide)) return FALSE;
    const DWORD n = PutText(static_cast<DWORD>(std::wcslen(wide)), wide, buffer, MAX_PATH);
    return n > 0 && n < MAX_PATH;
}

HMODULE LoadLibrary932(const char* path) { return WideCalls() ? LoadLibraryW(WideText(path)) : LoadLibraryA(path); }

HMODULE GetModuleHandle932(const char* name) {
    return WideCalls() ? GetModuleHandleW(WideText(name)) : GetModuleHandleA(name);
}

std::string CommandLine932() { return WideCalls() ? Narrow(GetCommandLineW()) : GetCommandLineA(); }

BOOL CreateProcess932(const char* application, char* commandLine, SECURITY_ATTRIBUTES* processSecurity,
                      SECURITY_ATTRIBUTES* threadSecurity, BOOL inherit, DWORD flags, void* environment,
                      const char* folder, STARTUPINFOA* startup, PROCESS_INFORMATION* process) {
    if (!WideCalls())
        return CreateProcessA(application, commandLine, processSecurity, threadSecurity, inherit, flags, environment,
                              folder, startup, process);
    // The same layout; the desktop and title the A form carries are in the system's code page,
    // and none given means the caller's own.
    STARTUPINFOW wideStartup;
    std::memcpy(&wideStartup, startup, sizeof wideStartup);
    wideStartup.cb = sizeof wideStartup;
    wideStartup.lpReserved = wideStartup.lpDesktop = wideStartup.lpTitle = nullptr;
    std::wstring line = commandLine ? Wide(commandLine) : std::wstring();  // the W form may write into it
    return CreateProcessW(WideText(application), commandLine ? line.data() : nullptr, processSecurity, threadSecurity,
                          inherit, flags, environment, WideText(folder), &wideStartup, process);
}

HINSTANCE ShellExecute932(HWND window, const char* verb, const char* file, const char* parameters, const char* folder,
                          INT show) {
    const auto unicode = ShellWide<decltype(&ShellExecuteW)>("ShellExecuteW");
    if (!unicode) return ShellExecuteA(window, verb, file, parameters, folder, show);
    return unicode(window, WideText(verb), WideText(file), WideText(parameters), WideText(folder), show);
}

BOOL ShellExecuteEx932(SHELLEXECUTEINFOA* info) {
    const auto unicode = ShellWide<decltype(&ShellExecuteExW)>("ShellExecuteExW");
    if (!unicode) return ShellExecuteExA(info);
    const WideText verb(info->lpVerb), file(info->lpFile), parameters(info->lpParameters), folder(info->lpDirectory);
    SHELLEXECUTEINFOW wide;
    std::memcpy(&wide, info, sizeof wide);  // the same layout, texts apart
    wide.cbSize = sizeof wide;
    wide.lpVerb = verb;
    wide.lpFile = file;
    wide.lpParameters = parameters;
    wide.lpDirectory = folder;
    wide.lpClass = nullptr;
    const BOOL done = unicode(&wide);
    info->hInstApp = wide.hInstApp;
    info->hProcess = wide.hProcess;
    return done;
}

HANDLE CreateMutex932(SECURITY_ATTRIBUTES* security, BOOL owned, const char* name) {
    return WideCalls() ? CreateMutexW(security, owned, WideText(name)) : CreateMutexA(security, owned, name);
}

ATOM GlobalAddAtom932(const char* name) { return WideCalls() ? GlobalAddAtomW(WideText(name)) : GlobalAddAtomA(name); }
