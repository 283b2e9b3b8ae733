// Test fixture: a component that records its registration calls under
// HKCU\Software\KelvoTest, value = the DLL's file name.
#include <windows.h>

namespace {

HMODULE self = nullptr;

void Record(const char* what) {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(self, path, MAX_PATH);
    const char* name = path;
    for (DWORD i = 0; i < n; ++i)
        if (path[i] == '\\') name = path + i + 1;
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\KelvoTest", 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) ==
        ERROR_SUCCESS) {
        RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(what), lstrlenA(what) + 1);
        RegCloseKey(key);
    }
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) self = instance;
    return TRUE;
}

extern "C" __declspec(dllexport) HRESULT __stdcall DllRegisterServer() {
    Record("registered");
    return REGISTER_RESULT;
}

extern "C" __declspec(dllexport) HRESULT __stdcall DllUnregisterServer() {
    Record("unregistered");
    return S_OK;
}
