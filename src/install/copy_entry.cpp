#include "install/copy_entry.h"

#include "engine/paths.h"
#include "engine/strings.h"

CopyEntry ParseCopyEntry(const std::string& value, const std::string& sourceFolder) {
    CopyEntry entry;
    std::string v = ExpandFolderMacros(value);
    if (v.compare(0, 5, "(Dch)") == 0) {
        entry.diskChange = true;
        v.erase(0, 5);
    }
    const std::string options = GetField(v, ",", 2);
    if (!options.empty()) entry.options = "," + options;
    std::string path = GetField(v, ",", 1);
    const int bar = FindText("|", path);
    if (bar > 0) {
        const std::string newName = path.substr(static_cast<std::size_t>(bar));
        path.erase(static_cast<std::size_t>(bar - 1));
        entry.destination = RemovePathDelimiter(FolderOfPath(path), "B") + AddPathDelimiter(newName, "T");
    } else if (EndsWithChar(path, '_')) {
        entry.destination = RemovePathDelimiter(FolderOfPath(path), "B") + "\\AUTO.EXT";
    } else {
        entry.destination = path;
    }
    entry.source = sourceFolder + NameOfPath(path);
    entry.compressed = EndsWithChar(entry.source, '_');
    return entry;
}

bool HasOption(const std::string& options, const char* letter) { return ContainsText(letter, options) != 0; }

OverwriteAction DecideOverwrite(bool destinationExists, bool overwriteChoice, long sourceAge, long destinationAge) {
    if (!destinationExists) return OverwriteAction::Copy;
    if (!overwriteChoice) return OverwriteAction::Ask;
    return sourceAge > destinationAge ? OverwriteAction::Copy : OverwriteAction::Keep;
}

std::string CopyEntryText(const std::string& source, const std::string& destination) {
    return "【コピー元】" + NameOfPath(source) + "\r\n【コピー先】" + destination + "\r\n";
}

std::string MissingSourceText(const std::string& source, const std::string& destination) {
    return "【コピー元】" + source + "\r\n【コピー先】" + destination + "\r\n" +
           "ファイルが存在しないためコピーをスキップしています．．．";
}

namespace {

bool IsCompressedHeader(const std::string& firstBytes) {
    static const char kMagic[] = "SZDD\x88\xf0\x27\x33";
    return firstBytes.size() >= kCompressedHeaderSize && firstBytes.compare(0, 8, kMagic, 8) == 0;
}

}  // namespace

std::string ExpandedNameInHeader(const std::string& firstBytes, const std::string& name) {
    std::string expanded = name;
    if (IsCompressedHeader(firstBytes) && firstBytes[9] != '\0' && EndsWithChar(expanded, '_'))
        expanded.back() = firstBytes[9];
    return expanded;
}

std::int64_t ExpandedSizeInHeader(const std::string& firstBytes) {
    if (!IsCompressedHeader(firstBytes)) return -1;
    std::int64_t size = 0;
    for (int i = 13; i >= 10; --i)
        size = size * 256 + static_cast<unsigned char>(firstBytes[static_cast<std::size_t>(i)]);
    return size;
}
