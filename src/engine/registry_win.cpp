#include "engine/registry_win.h"

#include <shlwapi.h>

#include <vector>

#include "engine/paths.h"
#include "owned_win.h"

HKEY RegistryRootFor(const std::string& tag) {
    const std::string name = RegistryRootName(tag);
    if (name == "HKEY_CLASSES_ROOT") return HKEY_CLASSES_ROOT;
    if (name == "HKEY_LOCAL_MACHINE") return HKEY_LOCAL_MACHINE;
    if (name == "HKEY_USERS") return HKEY_USERS;
    return HKEY_CURRENT_USER;
}

std::string ReadRegistryText(HKEY root, const std::string& keyPath, const std::string& valueName) {
    OwnedKey key;
    if (RegOpenKeyExA(root, keyPath.c_str(), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) return "";
    DWORD type = 0, size = 0;
    std::string value;
    if (RegQueryValueExA(key.get(), valueName.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ) && size > 0) {
        std::vector<char> buffer(size + 1, '\0');
        if (RegQueryValueExA(key.get(), valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                             &size) == ERROR_SUCCESS)
            value = buffer.data();
    }
    return value;
}

void DeleteRegistryKey(const std::string& rootTag, const std::string& keyPath) {
    if (keyPath.empty()) return;
    const std::string path = AddPathDelimiter(keyPath, "B");
    HKEY root = RegistryRootFor(rootTag);
    for (int attempt = 0; attempt < 99; ++attempt) {
        if (OwnedKey key; RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) break;
        if (SHDeleteKeyA(root, path.c_str()) != ERROR_SUCCESS) break;
    }
}
