// The code-page helpers: character stepping, searching, field splitting, the upper-case
// mapping and the path-delimiter helpers, on any bytes.
// Input: a needle, 0x01, then the text.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/paths.h"
#include "engine/strings.h"
#include "fuzz_support.h"

namespace {

std::vector<std::size_t> Starts(const std::string& text) {
    std::vector<std::size_t> starts;
    std::size_t at = 0;
    for (const std::string& c : fuzz::Characters(text)) {
        starts.push_back(at);
        at += c.size();
    }
    return starts;
}

void CheckSearch(const std::string& needle, const std::string& text) {
    // A match starts only where a character starts, and it is the first such place.
    std::size_t expected = 0;
    if (!needle.empty())
        for (std::size_t start : Starts(text))
            if (text.compare(start, needle.size(), needle) == 0) {
                expected = start + 1;
                break;
            }
    FUZZ_CHECK(static_cast<std::size_t>(FindText(needle, text)) == expected);
    ContainsText(needle, text);
    FUZZ_CHECK(SameText(text, MapString(text, kMapUpperCase)));
}

void CheckMapping(const std::string& text) {
    // Searches find positions in the mapped text and cut the original there: the mapping
    // must keep every character's place and width.
    const std::string upper = MapString(text, kMapUpperCase);
    FUZZ_CHECK(upper.size() == text.size());
    FUZZ_CHECK(Starts(upper) == Starts(text));
    MapString(text, kMapFullWidth);
    MapString(text, kMapFullWidth | kMapUpperCase);
}

void CheckFields(const std::string& text, char separator) {
    // The fields joined by the separator give the text back; one field past the last is empty.
    const std::string sep(1, separator);
    const int count = static_cast<int>(std::count(text.begin(), text.end(), separator)) + 1;
    if (count > 64) return;
    std::string joined;
    for (int n = 1; n <= count; ++n) joined += (n > 1 ? sep : "") + GetField(text, sep, n);
    FUZZ_CHECK(joined == text);
    FUZZ_CHECK(GetField(text, sep, count + 1).empty());
    FUZZ_CHECK(GetField(text, sep, 0).empty());
}

void CheckDelimiters(const std::string& path) {
    const std::vector<std::string> chars = fuzz::Characters(path);
    const std::vector<std::size_t> starts = Starts(path);
    for (std::size_t i = 0; i <= path.size(); ++i) {
        const bool start = std::find(starts.begin(), starts.end(), i) != starts.end();
        FUZZ_CHECK(IsPathDelimiterAt(path, i) == (start && i < path.size() && path[i] == '\\'));
    }
    FUZZ_CHECK(EndsWithPathDelimiter(path) == (!chars.empty() && chars.back() == "\\"));

    // Folder and name split the path at its last real delimiter.
    const std::string folder = FolderOfPath(path), name = NameOfPath(path);
    FUZZ_CHECK(folder + name == path);
    FUZZ_CHECK(folder.empty() || EndsWithPathDelimiter(folder));
    for (const std::string& c : fuzz::Characters(name)) FUZZ_CHECK(c != "\\");
    FUZZ_CHECK(path.compare(0, DriveOfPath(path).size(), DriveOfPath(path)) == 0);

    // Adding and removing a delimiter never touches a double-byte character's trail byte.
    if (!fuzz::WellFormed(path)) return;
    const std::size_t trail = fuzz::TrailBytes(path);
    for (const char* option : {"T", "B"}) {
        const std::string added = AddPathDelimiter(path, option), removed = RemovePathDelimiter(path, option);
        FUZZ_CHECK(fuzz::TrailBytes(added) == trail && fuzz::TrailBytes(removed) == trail);
        FUZZ_CHECK(added.size() - path.size() <= 1 && path.size() - removed.size() <= 1);
    }
    FUZZ_CHECK(EndsWithPathDelimiter(AddPathDelimiter(path, "B")));
    FUZZ_CHECK(IsPathDelimiterAt(AddPathDelimiter(path, "T"), 0));
    if (!EndsWithPathDelimiter(path)) FUZZ_CHECK(RemovePathDelimiter(AddPathDelimiter(path, "B"), "B") == path);
    if (!IsPathDelimiterAt(path, 0)) FUZZ_CHECK(RemovePathDelimiter(AddPathDelimiter(path, "T"), "T") == path);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string> parts = fuzz::Split(data, size, '\x01');
    const std::string needle = parts[0];
    std::string text;
    for (std::size_t i = 1; i < parts.size(); ++i) text += (i > 1 ? "\x01" : "") + parts[i];

    CheckSearch(needle, text);
    CheckMapping(text);
    CheckFields(text, ',');
    CheckFields(text, ':');
    CheckDelimiters(text);
    const int n = needle.empty() ? 0 : static_cast<signed char>(needle[0]);
    FUZZ_CHECK(LeftStr(text, n).size() <= text.size() && RightStr(text, n).size() <= text.size());
    FUZZ_CHECK(MidStr(text, n) == text.substr(std::min<std::size_t>(text.size(), n < 1 ? 0 : n - 1)));
    return 0;
}
