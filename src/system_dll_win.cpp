#include "system_dll_win.h"

#include <string>

#include "system_files_win.h"

void RestrictDllSearch() {
    HMODULE kernel = GetModuleHandle932("KERNEL32.DLL");
    constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
    if (auto setDefault = ModuleFunction<BOOL(WINAPI*)(DWORD)>(kernel, "SetDefaultDllDirectories"))
        setDefault(kSearchSystem32);
    if (auto setDirectory = ModuleFunction<BOOL(WINAPI*)(LPCSTR)>(kernel, "SetDllDirectoryA")) setDirectory("");
}

HMODULE SystemDll(const char* name) {
    // By its full path, which every Windows version takes as it stands.
    char folder[MAX_PATH] = "";
    const UINT length = GetSystemDirectory932(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    return LoadLibrary932((std::string(folder, length) + "\\" + name).c_str());
}
