#include "check/copy_sources.h"

#include "engine/code_page.h"
#include "engine/paths.h"
#include "engine/strings.h"

namespace {

// "SZDD", the format's signature bytes, the method "A", the stored letter, the size.
constexpr char kSignature[] = "SZDD\x88\xF0\x27\x33";
constexpr std::size_t kHeaderSize = 14;

}  // namespace

std::optional<std::string> ExpandedName(const std::string& header, const std::string& compressedName) {
    if (header.size() < kHeaderSize || header.compare(0, 8, kSignature, 8) != 0 || header[8] != 'A')
        return std::nullopt;
    std::string name = compressedName;
    if (header[9] != '\0' && EndsWithChar(name, '_')) name.back() = header[9];
    return MapString(name, kMapUpperCase);
}

std::string CopySource::Destination() const {
    if (!entry.compressed || NameOfPath(entry.destination) != "AUTO.EXT" || expandedName.empty())
        return entry.destination;
    return FolderOfPath(entry.destination) + expandedName;
}

std::vector<CopySource> ReadCopySources(const ScriptFile& script, const PackageFolder& package) {
    std::vector<CopySource> sources;
    int disk = 1;
    for (const ScriptKey* key : NumberedKeys(script, "CopyFile", "File")) {
        CopySource source;
        source.key = key;
        source.entry = ParseCopyEntry(key->value, "");
        if (source.entry.diskChange) ++disk;
        source.disk = disk;
        if (const auto* file = source.entry.source.empty() ? nullptr : package.FindEntry(source.entry.source, disk)) {
            source.path = file->path;
            source.packageName = file->name;
            source.twin = file->twin;
        }
        if (source.path && source.entry.compressed) {
            const auto name = ExpandedName(PackageFolder::Head(*source.path, kHeaderSize), source.entry.source);
            source.validCompressed = name.has_value();
            source.expandedName = name.value_or("");
        }
        sources.push_back(std::move(source));
    }
    return sources;
}
