#include "engine/files_win.h"

#include <windows.h>

#include "engine/code_page.h"
#include "engine/paths.h"
#include "engine/strings.h"
#include "owned_win.h"
#include "system_files_win.h"

namespace {

bool FindEntry(const std::string& path, WIN32_FIND_DATAA& data) {
    return OwnedFind(FindFirstFile932(path.c_str(), &data)).valid();
}

long PackedAge(const WIN32_FIND_DATAA& data) {
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -1;
    return FileTimeAge((std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) | data.ftLastWriteTime.dwLowDateTime);
}

std::string UpperName(const std::string& name) { return MapString(name, kMapUpperCase); }

}  // namespace

long FileTimeAge(std::uint64_t writeTime) {
    const FILETIME written = {static_cast<DWORD>(writeTime & 0xffffffff), static_cast<DWORD>(writeTime >> 32)};
    FILETIME local;
    WORD date = 0, time = 0;
    if (!FileTimeToLocalFileTime(&written, &local) || !FileTimeToDosDateTime(&local, &date, &time)) return -1;
    return static_cast<long>((static_cast<unsigned long>(date) << 16) | time);
}

bool FileExists(const std::string& path) {
    WIN32_FIND_DATAA data;
    return FindEntry(path, data);
}

FileStamp ReadFileStamp(const std::string& path) {
    WIN32_FIND_DATAA data;
    if (!FindEntry(path, data)) return {};
    return {true, PackedAge(data), (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow};
}

long FileAge(const std::string& path) { return ReadFileStamp(path).age; }

FolderListing::Entry FolderListing::Find(const std::string& path) {
    const std::string name = NameOfPath(path);
    if (name.empty() || HasWildcard(name)) return {FileExists(path), FileAge(path)};
    auto& folder = Listing(FolderOfPath(path));
    auto it = folder.find(UpperName(name));
    if (it == folder.end()) return {false, -1};
    return {true, it->second};
}

void FolderListing::Update(const std::string& path) {
    const std::string name = NameOfPath(path);
    auto& folder = Listing(FolderOfPath(path));
    WIN32_FIND_DATAA data;
    if (FindEntry(path, data)) folder[UpperName(name)] = PackedAge(data);
    else folder.erase(UpperName(name));
}

void FolderListing::Record(const std::string& path, long age) {
    Listing(FolderOfPath(path))[UpperName(NameOfPath(path))] = age;
}

std::unordered_map<std::string, long>& FolderListing::Listing(const std::string& folder) {
    auto [it, added] = folders_.try_emplace(UpperName(folder));
    if (!added) return it->second;
    WIN32_FIND_DATAA data;
    const OwnedFind find(FindFirstFile932((AddPathDelimiter(folder, "B") + "*").c_str(), &data));
    if (!find.valid()) return it->second;
    do {
        // Both the long and the short name find the file, as a lookup by name would.
        it->second[UpperName(data.cFileName)] = PackedAge(data);
        if (data.cAlternateFileName[0]) it->second[UpperName(data.cAlternateFileName)] = PackedAge(data);
    } while (FindNextFile932(find.get(), &data));
    return it->second;
}

std::int64_t FileSize(const std::string& path) { return ReadFileStamp(path).size; }

bool FolderExists(const std::string& path) { return FileExists(RemovePathDelimiter(path, "B") + "\\*.*"); }

bool NamesFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributes932(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

unsigned long CreateFolderPath(const std::string& path) {
    const std::string full = AddPathDelimiter(path, "B");
    unsigned long error = 0;
    for (std::size_t i = 0; i < full.size(); ++i) {
        if (!IsPathDelimiterAt(full, i)) continue;
        const std::string level = full.substr(0, i + 1);
        if (!FolderExists(level)) error = CreateDirectory932(level.c_str(), nullptr) ? 0 : GetLastError();
    }
    return error;
}

std::string ReadWholeFile(const std::string& path) {
    const OwnedHandle file(CreateFile932(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return "";
    std::string text;
    char buffer[16384];
    DWORD got = 0;
    while (ReadFile(file.get(), buffer, sizeof(buffer), &got, nullptr) && got > 0) text.append(buffer, got);
    return text;
}

unsigned long WriteWholeFile(const std::string& path, const std::string& text) {
    DWORD error = 0;
    {
        const OwnedHandle file(
            CreateFile932(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.valid()) return GetLastError();
        DWORD written = 0;
        if (!WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
            written != text.size() || !FlushFileBuffers(file.get()))
            error = GetLastError() ? GetLastError() : ERROR_WRITE_FAULT;
    }
    if (error) DeleteFile932(path.c_str());
    return error;
}
