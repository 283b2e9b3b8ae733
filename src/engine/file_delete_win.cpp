#include "engine/file_delete_win.h"

#include <windows.h>
#include <shellapi.h>

#include "engine/messages_win.h"
#include "engine/paths.h"
#include "engine/shared_dll_win.h"
#include "engine/strings.h"
#include "system_dll_win.h"
#include "system_files_win.h"
#include "system_text_win.h"

namespace {

// The shell's delete of a list of names, each ended, the list ended once more.
template <class Operation, class Text>
int ShellDelete(int(WINAPI* operate)(Operation*), const Text& list) {
    Operation op{};
    op.hwnd = ApplicationWindow();
    op.wFunc = FO_DELETE;
    op.pFrom = list.c_str();
    op.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;
    return operate(&op);
}

}  // namespace

unsigned long RemoveFolderWithPatterns(const std::string& folder, const std::string& patterns) {
    const std::string base = AddPathDelimiter(folder, "B");
    // Each pattern ends in "|" (the last one may not); "|" can be a trail byte, so search lead-byte aware.
    std::string rest = patterns;
    while (!rest.empty()) {
        int bar = FindText("|", rest);
        std::string pattern = bar ? rest.substr(0, static_cast<std::size_t>(bar - 1)) : rest;
        rest = bar ? rest.substr(static_cast<std::size_t>(bar)) : "";
        if (!pattern.empty()) (void)ShellDeleteFile(base + pattern);  // what stays keeps the folder: that is the error
    }
    if (RemoveDirectory932(RemovePathDelimiter(base, "B").c_str())) return 0;
    return GetLastError();
}

bool DeleteIfPlainFile(const std::string& path) {
    return !HasWildcard(path) && !IsComponentFile(path) && DeleteFile932(path.c_str());
}

unsigned long ShellDeleteFile(const std::string& path) {
    // Nearly always one plain file that is there: deleting it straight away spares a lookup
    // per file of a long log. A folder, a marked or a missing file fails here.
    return DeleteIfPlainFile(path) ? 0 : ShellDeleteRest(path);
}

unsigned long ShellDeleteRest(const std::string& path) {
    const bool wildcard = HasWildcard(path);
    const DWORD attributes = wildcard ? INVALID_FILE_ATTRIBUTES : GetFileAttributes932(path.c_str());
    if (!wildcard && attributes == INVALID_FILE_ATTRIBUTES) return 2;
    // A component that will not unregister is deleted all the same.
    if (IsComponentFile(path)) static_cast<void>(RegisterComponent(path, false));
    if (!wildcard && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        // One plain file: the system's delete does what the shell's would, without the shell's
        // own searches, and its success means the file is gone.
        if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributes932(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        return DeleteFile932(path.c_str()) ? 0 : GetLastError();
    }
    std::string from = path;
    from.append(2, '\0');
    SetLastError(0);
    // The list's two ends are converted with it.
    const auto unicode = ShellWide<decltype(&SHFileOperationW)>("SHFileOperationW");
    int r = unicode ? ShellDelete(unicode, Wide(from)) : ShellDelete(SHFileOperationA, from);
    DWORD e = GetLastError();
    return (r != 0 && e != 0) ? static_cast<unsigned long>(r) : 0;
}
