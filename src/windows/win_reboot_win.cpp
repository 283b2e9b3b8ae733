#include "windows/win_reboot_win.h"
#include "owned_win.h"

#include <windows.h>

bool TWinReboot::EnableShutdownPrivilege(const std::string& privilege, bool enable) {
    OwnedHandle token;
    // Systems without process tokens (the 95 platform) fail here silently.
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.put())) return false;
    TOKEN_PRIVILEGES wanted{};
    bool ok = false;
    if (LookupPrivilegeValueA(nullptr, privilege.c_str(), &wanted.Privileges[0].Luid)) {
        wanted.PrivilegeCount = 1;
        wanted.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
        unsigned char previous[16];
        DWORD length = 0;
        ok = AdjustTokenPrivileges(token.get(), FALSE, &wanted, sizeof(previous),
                                   reinterpret_cast<PTOKEN_PRIVILEGES>(previous), &length) != FALSE;
    }
    return ok;
}

bool TWinReboot::RestartWindows(unsigned mode) {
    EnableShutdownPrivilege("SeShutdownPrivilege", true);
    const bool accepted = ExitWindowsEx(mode, 0) != FALSE;
    EnableShutdownPrivilege("SeShutdownPrivilege", false);
    return accepted;
}
