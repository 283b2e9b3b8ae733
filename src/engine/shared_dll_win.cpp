#include "engine/shared_dll_win.h"

#include <windows.h>

#include <vector>

#include "engine/files_win.h"
#include "engine/registry_names.h"
#include "engine/registry_win.h"
#include "system_dll_win.h"
#include "owned_win.h"
#include "system_files_win.h"

namespace {

// Opened once and kept open: the uninstaller asks for a count per logged file, thousands of
// them, and each opening is a round trip of its own.
HKEY SharedDlls() {
    static HKEY key = nullptr;
    if (!key && RegCreateKeyEx932(HKEY_LOCAL_MACHINE, kSharedDllsKey, 0, KEY_READ | KEY_WRITE, &key) != ERROR_SUCCESS)
        key = nullptr;
    return key;
}

using EntryPoint = HRESULT(STDAPICALLTYPE*)();

}  // namespace

unsigned long ReadSharedCount(const std::string& path) {
    HKEY key = SharedDlls();
    if (!key) return 0;
    DWORD type = 0, value = 0, size = sizeof(value);
    LONG r = RegQueryValueEx932(key, path.c_str(), &type, reinterpret_cast<BYTE*>(&value), &size);
    return (r == ERROR_SUCCESS && type == REG_DWORD && size == sizeof(value)) ? value : 0;
}

SharedCountNames::SharedCountNames() {
    HKEY key = SharedDlls();
    if (!key) return;
    std::vector<char> name(32768);  // the longest value name the registry allows, and its end
    LONG r = ERROR_SUCCESS;
    for (DWORD i = 0; r == ERROR_SUCCESS; ++i) {
        DWORD length = static_cast<DWORD>(name.size());
        r = RegEnumValueName932(key, i, name.data(), &length);
        if (r == ERROR_SUCCESS) keys_[SharedNameKey(std::string(name.data(), length))] = 0;
    }
    complete_ = r == ERROR_NO_MORE_ITEMS;
}

unsigned long SharedCountNames::Read(const std::string& path) const {
    if (complete_ && keys_.find(SharedNameKey(path)) == keys_.end()) return 0;
    return ReadSharedCount(path);
}

unsigned long ChangeSharedCount(const std::string& path, bool raise) {
    unsigned long count = ReadSharedCount(path);
    if (raise) {
        // A file already there without a count stands for one earlier user.
        if (count == 0 && FileExists(path)) count = 1;
        ++count;
    } else if (count > 0) {
        --count;
    }
    HKEY key = SharedDlls();
    if (!key) return count;
    if (count > 0) {
        DWORD value = count;
        RegSetValueEx932(key, path.c_str(), REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
    } else {
        RegDeleteValue932(key, path.c_str());
    }
    return count;
}

ComponentRegistration RegisterComponent(const std::string& path, bool registerIt) {
    using R = ComponentRegistration;
    const OwnedModule library(LoadLibrary932(path.c_str()));
    if (!library.valid()) return R::NotLoaded;
    const char* name = registerIt ? "DllRegisterServer" : "DllUnregisterServer";
    const EntryPoint entry = ModuleFunction<EntryPoint>(library.get(), name);
    if (!entry) return R::NoEntryPoint;
    const bool failed = entry() != 0;
    if (!registerIt) return R::Unregistered;
    return failed ? R::EntryFailed : R::Registered;
}
