#include "check/pack_contents.h"

#include <sys/stat.h>

#include <map>

#include "check/copy_sources.h"
#include "check/package_folder.h"
#include "check/script_file.h"
#include "engine/code_page.h"
#include "engine/paths.h"
#include "engine/strings.h"

namespace {

constexpr std::uint32_t kReadOnly = 0x01, kArchive = 0x20;  // FILE_ATTRIBUTE_*
constexpr std::uint64_t kUnixEpochInFileTime = 116444736000000000ull;

struct Stamp {
    std::uint64_t writeTime = 0;
    std::uint32_t attributes = kArchive;
};

// The time the overwrite decision compares, as FILETIME; a file without write permission is read-only.
Stamp StampOf(const std::string& path) {
    struct stat info {};
    Stamp stamp;
    if (stat(path.c_str(), &info) != 0) return stamp;
    std::uint64_t hundreds = static_cast<std::uint64_t>(info.st_mtime) * 10'000'000ull;
#ifndef _WIN32
    hundreds += static_cast<std::uint64_t>(info.st_mtim.tv_nsec) / 100;
#endif
    stamp.writeTime = kUnixEpochInFileTime + hundreds;
    if (!(info.st_mode & S_IWUSR)) stamp.attributes |= kReadOnly;
    return stamp;
}

class Collector {
public:
    explicit Collector(PackContents& contents) : contents_(contents) {}
    // Adds a file of the package under the name the script uses; each name once. A file is
    // left in the payload for the copy step only when nothing else needs it before then.
    bool Add(const std::string& name, const std::string& path, std::string& error, bool copied = false) {
        const auto [it, added] = taken_.emplace(MapString(name, kMapUpperCase), contents_.files.size());
        if (!added) {
            contents_.files[it->second].copied &= copied;
            return true;
        }
        const std::optional<std::string> bytes = PackageFolder::Read(path);
        if (!bytes) {
            error = "cannot read \"" + path + "\"";
            return false;
        }
        const Stamp stamp = StampOf(path);
        contents_.files.push_back({name, *bytes, stamp.attributes, stamp.writeTime, copied});
        contents_.paths.push_back(path);
        return true;
    }
    // Whether the name, or for a folder a file below it, is taken.
    bool Taken(const std::string& name, bool folder) const {
        const std::string upper = MapString(name, kMapUpperCase);
        if (!folder) return taken_.count(upper) > 0;
        const auto below = taken_.lower_bound(upper + "\\");
        return below != taken_.end() && below->first.compare(0, upper.size() + 1, upper + "\\") == 0;
    }

private:
    PackContents& contents_;
    std::map<std::string, std::size_t> taken_;  // upper-case name -> its place in the files
};

bool IsFolderPath(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

std::optional<PackContents> CollectPackContents(const std::string& folder, std::string& error) {
    PackageFolder package;
    const std::optional<std::string> script = package.Open(folder) ? package.ReadScript() : std::nullopt;
    const PackageFolder::Entry* program = package.FindEntry("SETUP.EXE");
    const PackageFolder::Entry* scriptEntry = package.FindEntry(kScriptName);
    if (!script || !scriptEntry) {
        error = "no readable SETUP.INI";
        return std::nullopt;
    }
    PackContents contents;
    const std::optional<std::string> programBytes = program ? PackageFolder::Read(program->path) : std::nullopt;
    if (!programBytes) {
        error = "no readable setup.exe beside SETUP.INI";
        return std::nullopt;
    }
    contents.program = {*programBytes, StampOf(program->path).writeTime};
    contents.paths.push_back(program->path);
    Collector collect(contents);
    if (!collect.Add(scriptEntry->name, scriptEntry->path, error)) return std::nullopt;
    const ScriptFile file(*script);
    // The wizard's pages and the checker, then every [CopyFile] source on every disk.
    for (const auto& [section, key] : {std::pair{"EULA", "File"}, {"Readme", "File"}, {"Extend", "InstallChecker"}}) {
        const std::string name = RemovePathDelimiter(file.Value(section, key), "T");
        const std::optional<std::string> path = name.empty() ? std::nullopt : package.FindRelative(name);
        if (path && !collect.Add(name, *path, error)) return std::nullopt;
    }
    for (const CopySource& source : ReadCopySources(file, package))
        // An expanded file comes out before the run: the system's expansion reads it from a file.
        if (source.path && !collect.Add(source.packageName, *source.path, error, !source.entry.compressed))
            return std::nullopt;
    for (const PackageFolder::Entry& entry : package.Entries()) {
        const bool isFolder = IsFolderPath(entry.path);
        if (!collect.Taken(entry.name, isFolder) && !(program && entry.path == program->path))
            contents.leftOut.push_back(entry.name + (isFolder ? "\\" : ""));
    }
    return contents;
}
