#include "monitor/shell_win.h"

#include <mmsystem.h>
#include <shlobj.h>

#include "monitor/settings_win.h"
#include "monitor/text_rules.h"
#include "system_dll_win.h"
#include "owned_win.h"
#include "system_files_win.h"
#include "system_windows_win.h"
#include "system_text_win.h"

namespace {

std::string LocalTimestamp() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return FormatTimestamp({now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond});
}

bool WriteWholeFile(const char* path, const std::string& content) {
    const OwnedHandle file(
        CreateFile932(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return false;
    DWORD written = 0;
    // Flushed, so that a write the disk refuses late is a failure here, not lost at the close.
    return WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr) &&
           written == content.size() && FlushFileBuffers(file.get());
}

bool ReplaceFileWith(const char* source, const std::string& target) {
    if (MoveFileEx932(source, target.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
    // Windows 95, 98 and Me have no MoveFileEx.
    if (GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) return false;
    DeleteFile932(target.c_str());
    return MoveFile932(source, target.c_str());
}

std::string BrowseInitialFolder;

int CALLBACK BrowseFolderCallback(HWND dialog, UINT message, LPARAM, LPARAM) {
    if (message == BFFM_INITIALIZED) {
        SetBrowseSelection932(dialog, BrowseInitialFolder.c_str());
    }
    return 0;
}

}  // namespace

bool FileOutPut(const std::string& globalIP, const std::string& localIP, const std::string& hostName) {
    std::string path = Settings.OutputFolder + "\\" + "OUTPUT.DAT";
    char temporary[MAX_PATH];
    if (!GetTempFileName932(Settings.OutputFolder.c_str(), "tov", 0, temporary)) return false;
    if (WriteWholeFile(temporary, OutputFileText(LocalTimestamp(), globalIP, hostName, localIP)) &&
        ReplaceFileWith(temporary, path)) {
        return true;
    }
    DeleteFile932(temporary);
    return false;
}

std::string BrowseForFolder(HWND owner, const char* title, const std::string& initialFolder) {
    BrowseInitialFolder = initialFolder;
    BROWSEINFOA info{};
    info.hwndOwner = owner;
    info.lpszTitle = title;
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    info.lpfn = BrowseFolderCallback;
    LPITEMIDLIST item = SHBrowseForFolder932(&info);
    std::string result;
    char path[MAX_PATH] = "";
    if (item && GetPathFromIDList932(item, path)) result = path;
    CoTaskMemFree(item);
    return result;
}

void SoundPlay_Proc(const char* fileName) {
    const std::string path = ProgramFile(fileName);
    if (WideCalls()) {
        static const auto play = SystemFunction<decltype(&PlaySoundW)>("WINMM.DLL", "PlaySoundW");
        if (play) play(Wide(path).c_str(), nullptr, SND_ASYNC);
        return;
    }
    static const auto play = SystemFunction<decltype(&PlaySoundA)>("WINMM.DLL", "PlaySoundA");
    if (play) play(path.c_str(), nullptr, SND_ASYNC);
}

void SetTopMost(HWND window) { SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE); }

void ClearTopMost(HWND window) {
    SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE);
}

bool ActivatePrevInstance(const char* windowClass, const char* title) {
    HWND running = FindWindow932(windowClass, title);
    if (!running) return false;
    if (IsIconic(running)) ShowWindow(running, SW_RESTORE);
    SetForegroundWindow(running);
    return true;
}
