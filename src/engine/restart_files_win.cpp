#include "engine/restart_files_win.h"

#include <windows.h>

#include "engine/environment.h"
#include "engine/file_copy_win.h"
#include "engine/files_win.h"
#include "engine/system_win.h"
#include "engine/ini_file_win.h"
#include "engine/paths.h"
#include "engine/restart_files.h"
#include "system_files_win.h"
#include "system_dll_win.h"

namespace {

unsigned long MoveAtRestart(const std::string& from, const char* to) {
    return MoveFileEx932(from.c_str(), to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT) ? 0
                                                                                                    : GetLastError();
}

std::string WininitPath() { return FolderMacros().Get("(Win)") + "WININIT.INI"; }

// The restart's name for a path: in the 32-bit system folder where this program runs on 64-bit
// Windows. Looked up: Windows before XP lacks the function, and 32-bit Windows fails it.
std::string PathAtRestart(const std::string& path) {
    const auto query =
        ModuleFunction<UINT(WINAPI*)(char*, UINT)>(GetModuleHandleA("KERNEL32.DLL"), "GetSystemWow64DirectoryA");
    char folder[MAX_PATH] = "";
    const UINT n = query ? query(folder, MAX_PATH) : 0;
    const char* rest = RedirectedSystemPath(path.c_str(), FolderMacros().Get("(Sys)").c_str());
    if (n == 0 || n >= MAX_PATH || !rest) return path;
    std::string moved = folder;
    return moved += rest;
}

}  // namespace

unsigned long ReplaceFileAtRestart(const std::string& source, const std::string& destination) {
    const std::string windows = FolderMacros().Get("(Win)");
    std::string temporary;
    for (int k = 1;; ++k) {
        temporary = windows + "KSTMP" + std::to_string(k) + ".TMP";
        if (!FileExists(temporary)) break;
    }
    if (const unsigned long error = CopyOneFile(source, temporary)) return error;
    const WindowsFamily family = Environment().OsFamily;
    if (family == WindowsFamily::Nt) return MoveAtRestart(temporary, PathAtRestart(destination).c_str());
    if (family == WindowsFamily::NotNt)
        return WriteIniValue("Rename", GetShortPath(destination), GetShortPath(temporary), WininitPath());
    return 0;
}

unsigned long DeleteFileAtRestart(const std::string& path) {
    const WindowsFamily family = Environment().OsFamily;
    if (family == WindowsFamily::Nt) return MoveAtRestart(PathAtRestart(path), nullptr);
    if (family != WindowsFamily::NotNt) return 0;
    const std::string file = WininitPath();
    std::string text = "[Rename]\r\n";
    if (FileExists(file)) text = ReadWholeFile(file);
    const DWORD attributes = GetFileAttributes932(path.c_str());
    const bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    const std::string line = (folder ? "DirNul=" : "Nul=") + GetShortPath(path);
    return WriteWholeFile(file, InsertRenameLine(text, line));
}
