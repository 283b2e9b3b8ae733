#include "system_dll_win.h"

#include <string>

void RestrictDllSearch() {
    HMODULE kernel = GetModuleHandleA("KERNEL32.DLL");
    using SetDefault = BOOL(WINAPI*)(DWORD);
    using SetDirectory = BOOL(WINAPI*)(LPCSTR);
    constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
    if (auto setDefault = reinterpret_cast<SetDefault>(
            reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories"))))
        setDefault(kSearchSystem32);
    if (auto setDirectory = reinterpret_cast<SetDirectory>(
            reinterpret_cast<void*>(GetProcAddress(kernel, "SetDllDirectoryA"))))
        setDirectory("");
}

HMODULE SystemDll(const char* name) {
    // By its full path, which every Windows version takes as it stands.
    char folder[MAX_PATH] = "";
    const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    return LoadLibraryA((std::string(folder, length) + "\\" + name).c_str());
}
