#include "wizard/setup_sources_win.h"

#include <windows.h>

#include <vector>

#include "engine/files_win.h"
#include "engine/ini_file_win.h"

namespace {

HKEY RootFor(const std::string& tag) {
    if (tag == "(Class)") return HKEY_CLASSES_ROOT;
    if (tag == "(Local)") return HKEY_LOCAL_MACHINE;
    if (tag == "(Users)") return HKEY_USERS;
    return HKEY_CURRENT_USER;
}

class WindowsSources final : public SetupSources {
public:
    std::string Ini(const std::string& section, const std::string& key, const std::string& defaultValue,
                    const std::string& file) const override {
        return ReadIniValue(section, key, defaultValue, file);
    }

    std::string RegistryText(const std::string& rootTag, const std::string& keyPath,
                             const std::string& valueName) const override {
        HKEY key = nullptr;
        if (RegOpenKeyExA(RootFor(rootTag), keyPath.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return "";
        DWORD type = 0, size = 0;
        std::string value;
        // Only text values propose a folder; numbers and binary data are ignored.
        if (RegQueryValueExA(key, valueName.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
            (type == REG_SZ || type == REG_EXPAND_SZ) && size > 0) {
            std::vector<char> buffer(size + 1, '\0');
            if (RegQueryValueExA(key, valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                                 &size) == ERROR_SUCCESS)
                value = buffer.data();
        }
        RegCloseKey(key);
        return value;
    }

    bool FileExists(const std::string& path) const override { return ::FileExists(path); }
};

}  // namespace

const SetupSources& SystemSources() {
    static const WindowsSources sources;
    return sources;
}
