#include "engine/ini_file_win.h"

#include <windows.h>

#include "engine/ini_text.h"
#include "owned_win.h"
#include "system_files_win.h"
#include "system_text_win.h"

namespace {

bool IsLeadByte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

std::string WindowsFolder() {
    char folder[MAX_PATH];
    const UINT size = GetWindowsDirectory932(folder, MAX_PATH);
    return std::string(folder, size < MAX_PATH ? size : 0);
}

std::string ProfilePath(const std::string& file) {
    for (std::size_t i = 0; i < file.size(); i += IsLeadByte(file[i]) ? 2 : 1)
        if (file[i] == '\\' || file[i] == '/' || file[i] == ':') return file;
    return WindowsFolder() + "\\" + file;
}

HANDLE OpenFile(const std::string& path, DWORD access, DWORD share, DWORD disposition) {
    return CreateFile932(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

DWORD LastError() {
    const DWORD error = GetLastError();
    return error ? error : ERROR_WRITE_FAULT;
}

// The file's bytes; 0, or the system's error (2 or 3 when it is not there).
DWORD ReadBytes(const std::string& path, std::string& bytes) {
    bytes.clear();
    const OwnedHandle file(OpenFile(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING));
    if (!file.valid()) return GetLastError();
    const DWORD size = GetFileSize(file.get(), nullptr);
    if (size == INVALID_FILE_SIZE) return LastError();
    bytes.resize(size);
    DWORD got = 0;
    if (size && !ReadFile(file.get(), bytes.data(), size, &got, nullptr)) return LastError();
    bytes.resize(got);
    return 0;
}

// A file that starts with a byte-order mark is UTF-16 text, which the system keeps as it is;
// every other file is code page 932 bytes.
bool IsUnicode(const std::string& bytes) { return bytes.starts_with("\xFF\xFE"); }

std::string ReadText(const std::string& path) {
    std::string bytes;
    (void)ReadBytes(path, bytes);  // a file that cannot be read holds nothing, as for the system
    if (!IsUnicode(bytes)) return bytes;
    // The characters in place: the buffer is aligned for them, and the mark takes two bytes.
    return Narrow(std::wstring_view(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2));
}

DWORD WriteNew(const std::string& path, const std::string& text) {
    const OwnedHandle file(OpenFile(path, GENERIC_WRITE, 0, CREATE_ALWAYS));
    if (!file.valid()) return GetLastError();
    DWORD written = 0;
    if (!WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
        written != text.size() || !FlushFileBuffers(file.get()))
        return LastError();
    return 0;
}

// The 95 family has no replacing move: the old file goes aside, the new one in, and the old
// one away; the old one comes back when the new one cannot go in.
DWORD RenameSequence(const std::string& fresh, const std::string& path) {
    const std::string aside = path + ".KSO";
    DeleteFile932(aside.c_str());
    const bool hadOld = MoveFile932(path.c_str(), aside.c_str()) != FALSE;
    if (!MoveFile932(fresh.c_str(), path.c_str())) {
        const DWORD error = LastError();
        if (hadOld) MoveFile932(aside.c_str(), path.c_str());
        return error;
    }
    DeleteFile932(aside.c_str());
    return 0;
}

// The text is written beside the file under a name of ours, then moved over it in one step:
// a run cut short leaves the old file or the new one, never a part of either.
DWORD Replace(const std::string& path, const std::string& text) {
    const std::string fresh = path + ".KSN";
    DWORD error = WriteNew(fresh, text);
    if (!error && !MoveFileEx932(fresh.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = GetLastError();
        if (error == ERROR_CALL_NOT_IMPLEMENTED) error = RenameSequence(fresh, path);
    }
    if (error) DeleteFile932(fresh.c_str());
    return error;
}

// UTF-16 files go to the system's functions, which keep them UTF-16 (through W, without the
// system's code page between). A null key removes the section, a null value the key. The
// system's cache is flushed at once: the reads here do not ask it.
DWORD SystemWrite(const std::string& path, const std::string& section, const std::string* key,
                  const std::string* value) {
    DWORD error = 0;
    if (WideCalls()) {
        const std::wstring file = Wide(path), wideKey = key ? Wide(*key) : L"", wideValue = value ? Wide(*value) : L"";
        if (!WritePrivateProfileStringW(Wide(section).c_str(), key ? wideKey.c_str() : nullptr,
                                        value ? wideValue.c_str() : nullptr, file.c_str()))
            error = LastError();
        WritePrivateProfileStringW(nullptr, nullptr, nullptr, file.c_str());
    } else {
        if (!WritePrivateProfileStringA(section.c_str(), key ? key->c_str() : nullptr, value ? value->c_str() : nullptr,
                                        path.c_str()))
            error = LastError();
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
    }
    return error;
}

// WIN.INI and SYSTEM.INI belong to the system: 9x keeps them cached, and NT maps many of their
// sections to the registry, so a change written into the file itself could be lost or unread.
bool IsSystemProfile(const std::string& path) {
    std::size_t name = 0;
    for (std::size_t i = 0; i < path.size(); i += IsLeadByte(path[i]) ? 2 : 1)
        if (path[i] == '\\' || path[i] == '/' || path[i] == ':') name = i + 1;
    std::string upper = path.substr(name);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return upper == "WIN.INI" || upper == "SYSTEM.INI";
}

DWORD Edit(const std::string& file, const std::string& section, const std::string* key, const std::string* value) {
    const std::string path = ProfilePath(file);
    if (IsSystemProfile(path)) return SystemWrite(path, section, key, value);
    std::string bytes;
    const DWORD error = ReadBytes(path, bytes);
    if (error && error != ERROR_FILE_NOT_FOUND) return error;
    if (IsUnicode(bytes)) return SystemWrite(path, section, key, value);
    const std::string text = !key     ? DeleteIniSection(bytes, section)
                             : !value ? DeleteIniKey(bytes, section, *key)
                                      : SetIniValue(bytes, section, *key, *value);
    // Nothing to change leaves the file alone (and a missing one missing).
    return text == bytes ? 0 : Replace(path, text);
}

}  // namespace

std::string ReadIniText(const std::string& file) { return ReadText(ProfilePath(file)); }

std::string ReadIniValue(const std::string& section, const std::string& key, const std::string& defaultValue,
                         const std::string& file) {
    if (auto value = IniValue(ReadIniText(file), section, key)) return std::move(*value);
    // The system hands the default back without its trailing blanks.
    return defaultValue.substr(0, defaultValue.find_last_not_of(' ') + 1);
}

unsigned long WriteIniValue(const std::string& section, const std::string& key, const std::string& value,
                            const std::string& file) {
    return Edit(file, section, &key, &value);
}

unsigned long RemoveIniKey(const std::string& section, const std::string& key, const std::string& file) {
    return Edit(file, section, &key, nullptr);
}

unsigned long RemoveIniSection(const std::string& section, const std::string& file) {
    return Edit(file, section, nullptr, nullptr);
}
