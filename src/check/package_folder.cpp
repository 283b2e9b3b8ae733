#include "check/package_folder.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstdio>
#include <memory>

#include "check/cp932_unicode.h"
#include "check/script_file.h"
#include "engine/code_page.h"
#include "engine/paths.h"
#include "engine/strings.h"

namespace {

constexpr char kSeparator = '/';  // accepted by both the native and the Windows file functions

bool IsFolder(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// "DISK2" -> 2; 0 for any other name.
int DiskNumberOf(const std::string& upperName) {
    if (upperName.size() < 5 || upperName.compare(0, 4, "DISK") != 0) return 0;
    const std::string digits = upperName.substr(4);
    if (digits.size() > 3 || digits.find_first_not_of("0123456789") != std::string::npos || digits[0] == '0') return 0;
    return std::stoi(digits);
}

}  // namespace

// The tools that carry a package from Linux to Windows convert its UTF-8 names.
std::string PackageFolder::ScriptName(const std::string& name) {
#ifdef KELVO_UTF8_NAMES
    if (const std::optional<std::string> converted = Utf8ToCp932(name)) return *converted;
#endif
    return name;
}

bool PackageFolder::List(const std::string& folder, const std::string& prefix, Listing& listing) {
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
    if (!dir) return false;
    while (const dirent* entry = readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        const std::string script = ScriptName(name);
        Entry file{folder + kSeparator + name, prefix + script};
        const auto [at, added] = listing.emplace(MapString(script, kMapUpperCase), file);
        if (added) continue;
        if (script == name) at->second = file;  // the name stored in Shift-JIS wins
        at->second.twin = true;
    }
    return true;
}

bool PackageFolder::Open(const std::string& folder) {
    folder_ = folder;
    Listing all;
    if (!List(folder, "", all)) return false;
    for (const auto& [upper, file] : all) {
        const int disk = IsFolder(file.path) ? DiskNumberOf(upper) : 0;
        if (disk >= 2) List(file.path, file.name + "\\", disks_[disk]);
        else files_.emplace(upper, file);
    }
    return true;
}

const PackageFolder::Entry* PackageFolder::FindEntry(const std::string& name, int disk) const {
    const std::string upper = MapString(name, kMapUpperCase);
    // A later disk's files may also lie beside the script (one folder for every disk).
    const auto onDisk = disks_.find(disk);
    if (onDisk != disks_.end()) {
        const auto found = onDisk->second.find(upper);
        if (found != onDisk->second.end()) return &found->second;
    }
    const auto found = files_.find(upper);
    if (found == files_.end() || IsFolder(found->second.path)) return nullptr;
    return &found->second;
}

std::optional<std::string> PackageFolder::Find(const std::string& name, int disk) const {
    const Entry* entry = FindEntry(name, disk);
    return entry ? std::optional<std::string>(entry->path) : std::nullopt;
}

std::optional<std::string> PackageFolder::FindRelative(const std::string& relativePath) const {
    std::string path = folder_, rest = RemovePathDelimiter(relativePath, "T");
    // Each level is looked up in its folder's listing, since the letter case may differ on disk.
    for (;;) {
        const int delimiter = FindText("\\", rest);
        const std::string level = delimiter ? rest.substr(0, static_cast<std::size_t>(delimiter - 1)) : rest;
        Listing listing;
        if (!List(path, "", listing)) return std::nullopt;
        const auto found = listing.find(MapString(level, kMapUpperCase));
        if (found == listing.end()) return std::nullopt;
        const std::string& file = found->second.path;
        if (!delimiter) return IsFolder(file) ? std::nullopt : std::optional<std::string>(file);
        path = file;
        rest = rest.substr(static_cast<std::size_t>(delimiter));
    }
}

std::vector<PackageFolder::Entry> PackageFolder::Entries() const {
    std::vector<Entry> entries;
    for (const auto& [upper, file] : files_) entries.push_back(file);
    for (const auto& [disk, listing] : disks_)
        for (const auto& [upper, file] : listing) entries.push_back(file);
    return entries;
}

std::optional<std::string> PackageFolder::ReadScript() const {
    const std::optional<std::string> path = Find(kScriptName);
    return path ? Read(*path) : std::nullopt;
}

std::optional<std::string> PackageFolder::Read(const std::string& path) {
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!file) return std::nullopt;
    std::string bytes;
    char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) bytes.append(buffer, n);
    return bytes;
}

std::string PackageFolder::Head(const std::string& path, std::size_t count) {
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!file) return "";
    std::string bytes(count, '\0');
    bytes.resize(std::fread(bytes.data(), 1, count, file.get()));
    return bytes;
}
