#include "engine/ini_file_win.h"

#include <windows.h>

#include <vector>

#include "engine/files_win.h"
#include "engine/ini_slot.h"

std::string ReadIniValue(const std::string& section, const std::string& key, const std::string& defaultValue,
                         const std::string& file) {
    // A result of size - 1 may have been cut: grow and read again until it fits.
    for (DWORD size = 256;; size += 256) {
        std::vector<char> buffer(size, '\0');
        DWORD got = GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(), buffer.data(), size,
                                             file.c_str());
        if (got != size - 1) return std::string(buffer.data(), got);
        if (size > 64u * 1024 * 1024) return std::string(buffer.data(), got);  // no value is that long
    }
}

unsigned long WriteIniValue(const std::string& section, const std::string& key, const std::string& value,
                            const std::string& file) {
    const BOOL ok = WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str());
    const DWORD error = ok ? 0 : GetLastError();
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, file.c_str());  // flush the system's cache
    return ok ? 0 : error ? error : ERROR_WRITE_FAULT;
}

std::vector<std::string> ReadNumberedValues(const std::string& section, const std::string& prefix,
                                            const std::string& file) {
    // One read of the whole section instead of one search of the file per key: long lists
    // (thousands of files) would otherwise take quadratic time. Its lines take no more room
    // than the file holds them in, so a buffer of the file's size reads it at once; each
    // further try would make the system convert the whole file again.
    const std::int64_t fileSize = FileSize(file);
    DWORD first = 64 * 1024;
    if (fileSize >= first && fileSize < std::int64_t{128} * 1024 * 1024) first = static_cast<DWORD>(fileSize) + 16;
    std::vector<char> buffer;
    for (DWORD size = first;; size *= 2) {
        buffer.assign(size, '\0');
        DWORD got = GetPrivateProfileSectionA(section.c_str(), buffer.data(), size, file.c_str());
        if (got < size - 2 || size >= 256u * 1024 * 1024) {
            buffer.resize(got);
            break;
        }
    }
    return NumberedValues(std::string(buffer.data(), buffer.size()), prefix);
}
