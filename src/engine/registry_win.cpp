#include "engine/registry_win.h"

#include <shlwapi.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/paths.h"
#include "owned_win.h"
#include "system_text_win.h"

namespace {

// No name and an empty one both name a key's default value.
std::wstring WideName(const char* name) { return name ? Wide(name) : std::wstring(); }

bool IsText(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

}  // namespace

LONG RegOpenKeyEx932(HKEY root, const char* path, DWORD options, REGSAM access, HKEY* key) {
    if (!WideCalls()) return RegOpenKeyExA(root, path, options, access, key);
    return RegOpenKeyExW(root, WideName(path).c_str(), options, access, key);
}

LONG RegCreateKeyEx932(HKEY root, const char* path, DWORD options, REGSAM access, HKEY* key) {
    if (!WideCalls()) return RegCreateKeyExA(root, path, 0, nullptr, options, access, nullptr, key, nullptr);
    return RegCreateKeyExW(root, WideName(path).c_str(), 0, nullptr, options, access, nullptr, key, nullptr);
}

LONG RegQueryValueEx932(HKEY key, const char* name, DWORD* type, BYTE* data, DWORD* size) {
    if (!WideCalls()) return RegQueryValueExA(key, name, nullptr, type, data, size);
    const std::wstring wideName = WideName(name);
    DWORD kind = REG_NONE, wideSize = 0;
    LONG error = RegQueryValueExW(key, wideName.c_str(), nullptr, &kind, nullptr, &wideSize);
    if (error != ERROR_SUCCESS || !IsText(kind))
        return RegQueryValueExW(key, wideName.c_str(), nullptr, type, data, size);
    // The text is read whole and its code page 932 bytes counted, as the A function does.
    std::wstring wide(wideSize / 2 + 1, L'\0');
    error = RegQueryValueExW(key, wideName.c_str(), nullptr, &kind, reinterpret_cast<BYTE*>(wide.data()), &wideSize);
    if (error != ERROR_SUCCESS) return error;
    wide.resize(wideSize / 2);
    const std::string text = Narrow(wide);
    if (type) *type = kind;
    if (!size) return data ? ERROR_INVALID_PARAMETER : ERROR_SUCCESS;
    const DWORD room = *size;
    *size = static_cast<DWORD>(text.size());
    if (!data) return ERROR_SUCCESS;
    if (text.size() > room) return ERROR_MORE_DATA;
    std::copy(text.begin(), text.end(), data);  // the value's own ends are among the bytes
    return ERROR_SUCCESS;
}

LONG RegSetValueEx932(HKEY key, const char* name, DWORD type, const BYTE* data, DWORD size) {
    if (!WideCalls()) return RegSetValueExA(key, name, 0, type, data, size);
    if (!IsText(type)) return RegSetValueExW(key, WideName(name).c_str(), 0, type, data, size);
    // Every byte converted, the ends among them: a list keeps its separators and its last end.
    const std::wstring wide = Wide(std::string_view(reinterpret_cast<const char*>(data), size));
    return RegSetValueExW(key, WideName(name).c_str(), 0, type, reinterpret_cast<const BYTE*>(wide.data()),
                          static_cast<DWORD>(wide.size() * sizeof(wchar_t)));
}

LONG RegEnumValueName932(HKEY key, DWORD index, char* name, DWORD* length) {
    if (!WideCalls()) return RegEnumValueA(key, index, name, length, nullptr, nullptr, nullptr, nullptr);
    std::wstring wide(32768, L'\0');  // the longest value name the registry allows, and its end
    DWORD units = static_cast<DWORD>(wide.size());
    const LONG error = RegEnumValueW(key, index, wide.data(), &units, nullptr, nullptr, nullptr, nullptr);
    if (error != ERROR_SUCCESS) return error;
    const std::string text = Narrow(std::wstring_view(wide.data(), units));
    if (text.size() >= *length) return ERROR_MORE_DATA;
    std::memcpy(name, text.c_str(), text.size() + 1);
    *length = static_cast<DWORD>(text.size());
    return ERROR_SUCCESS;
}

LONG RegDeleteValue932(HKEY key, const char* name) {
    return WideCalls() ? RegDeleteValueW(key, WideName(name).c_str()) : RegDeleteValueA(key, name);
}

LONG SHDeleteKey932(HKEY root, const char* path) {
    return WideCalls() ? SHDeleteKeyW(root, WideName(path).c_str()) : SHDeleteKeyA(root, path);
}

HKEY RegistryRootFor(const std::string& tag) {
    const std::string name = RegistryRootName(tag);
    if (name == "HKEY_CLASSES_ROOT") return HKEY_CLASSES_ROOT;
    if (name == "HKEY_LOCAL_MACHINE") return HKEY_LOCAL_MACHINE;
    if (name == "HKEY_USERS") return HKEY_USERS;
    return HKEY_CURRENT_USER;
}

std::string ReadRegistryText(HKEY root, const std::string& keyPath, const std::string& valueName) {
    OwnedKey key;
    if (RegOpenKeyEx932(root, keyPath.c_str(), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) return "";
    DWORD type = 0, size = 0;
    std::string value;
    if (RegQueryValueEx932(key.get(), valueName.c_str(), &type, nullptr, &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ) && size > 0) {
        std::vector<char> buffer(size + 1, '\0');
        if (RegQueryValueEx932(key.get(), valueName.c_str(), &type, reinterpret_cast<BYTE*>(buffer.data()), &size) ==
            ERROR_SUCCESS)
            value = buffer.data();
    }
    return value;
}

void DeleteRegistryKey(const std::string& rootTag, const std::string& keyPath) {
    if (keyPath.empty()) return;
    const std::string path = AddPathDelimiter(keyPath, "B");
    HKEY root = RegistryRootFor(rootTag);
    for (int attempt = 0; attempt < 99; ++attempt) {
        if (OwnedKey key; RegOpenKeyEx932(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) break;
        if (SHDeleteKey932(root, path.c_str()) != ERROR_SUCCESS) break;
    }
}
