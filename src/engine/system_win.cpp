#include "engine/system_win.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cmath>

#include "engine/messages_win.h"
#include "engine/paths.h"
#include "owned_win.h"
#include "system_files_win.h"

FreeSpace QueryFreeSpace(const std::string& drive) {
    FreeSpace result{false, -1};
    ULARGE_INTEGER available{}, total{}, free{};
    if (GetDiskFreeSpaceEx932(AddPathDelimiter(drive, "B").c_str(), &available, &total, &free))
        result = {true, static_cast<std::int64_t>(available.QuadPart)};
    return result;
}

FreeSpace QueryFreeSpaceByClusters(const std::string& drive) {
    DWORD sectors = 0, bytes = 0, freeClusters = 0, clusters = 0;
    if (!GetDiskFreeSpace932(AddPathDelimiter(drive, "B").c_str(), &sectors, &bytes, &freeClusters, &clusters))
        return {false, -1};
    double total = static_cast<double>(freeClusters) * sectors * bytes;
    return {true, static_cast<std::int64_t>(std::llround(total))};
}

unsigned long RunAndWait(const std::string& file, const std::string& parameters) {
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
    if (!ShellExecuteEx932(&info)) {
        const DWORD error = GetLastError();
        return error ? error : ERROR_FILE_NOT_FOUND;
    }
    if (const OwnedHandle process(info.hProcess); process.valid()) WaitWithMessages(process.get());
    return 0;
}

std::string GetSpecialFolder(int csidl) {
    // The item list comes from the shell's allocator, which on the 95 platform is not COM's.
    OwnedCom<IMalloc> allocator;
    if (FAILED(SHGetMalloc(allocator.put())) || !allocator.valid()) return "";
    std::string result;
    char buffer[MAX_PATH];
    LPITEMIDLIST list = nullptr;
    if (SUCCEEDED(SHGetSpecialFolderLocation(GetDesktopWindow(), csidl, &list)) && list) {
        if (GetPathFromIDList932(list, buffer)) result = RemovePathDelimiter(buffer, "B");
        allocator.get()->Free(list);
    }
    return result;
}

std::string GetShortPath(const std::string& path) {
    char buffer[MAX_PATH];
    DWORD n = GetShortPathName932(path.c_str(), buffer, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return "";
    return std::string(buffer, n);
}

std::string ModulePath() {
    char buffer[MAX_PATH * 2];
    DWORD n = GetModuleFileName932(nullptr, buffer, sizeof(buffer));
    return std::string(buffer, n);
}
