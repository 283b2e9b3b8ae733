#include "engine/paths.h"

#include <cctype>

#include "engine/code_page.h"
#include "engine/strings.h"

std::string AddPathDelimiter(const std::string& path, const std::string& option) {
    if (option.empty()) return path;
    if (path.empty() && (option[0] == 'T' || option[0] == 'B')) return "\\";
    if (option[0] == 'T' && !IsPathDelimiterAt(path, 0)) return "\\" + path;
    if (option[0] == 'B' && !EndsWithPathDelimiter(path)) return path + "\\";
    return path;
}

std::string RemovePathDelimiter(const std::string& path, const std::string& option) {
    if (option.empty() || path.empty()) return path;
    if (option[0] == 'T' && IsPathDelimiterAt(path, 0)) return path.substr(1);
    if (option[0] == 'B' && EndsWithPathDelimiter(path)) return path.substr(0, path.size() - 1);
    return path;
}

std::string ReplaceToken(const std::string& text, const std::string& token, const std::string& value) {
    if (token.empty()) return text;
    std::string done;
    std::string rest = text;
    const bool valueEndsWithDelimiter = EndsWithPathDelimiter(value);
    for (;;) {
        int position = ContainsText(token, rest);
        if (position == 0) break;
        std::string after = rest.substr(static_cast<std::size_t>(position - 1) + token.size());
        if (valueEndsWithDelimiter && IsPathDelimiterAt(after, 0)) after.erase(0, 1);
        done += rest.substr(0, static_cast<std::size_t>(position - 1)) + value;
        rest = after;
    }
    return done + rest;
}

namespace {

// Index of the last real delimiter, or npos.
std::size_t LastDelimiter(const std::string& path) {
    std::size_t last = std::string::npos;
    int from = 1;
    for (;;) {
        int found = FindText("\\", MidStr(path, from));
        if (found == 0) return last;
        last = static_cast<std::size_t>(from + found - 2);
        from += found;
    }
}

}  // namespace

std::string FolderOfPath(const std::string& path) {
    std::size_t last = LastDelimiter(path);
    return last == std::string::npos ? "" : path.substr(0, last + 1);
}

bool HasWildcard(const std::string& text) { return text.find_first_of("*?") != std::string::npos; }

std::string NameOfPath(const std::string& path) {
    std::size_t last = LastDelimiter(path);
    return last == std::string::npos ? path : path.substr(last + 1);
}

std::string DriveOfPath(const std::string& path) {
    if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2);
    if (path.rfind("\\\\", 0) == 0) {  // \\server\share; a name may hold a 0x5C trail byte
        const int server = FindText("\\", MidStr(path, 3));
        if (server == 0) return path;
        const int share = FindText("\\", MidStr(path, 3 + server));
        return share == 0 ? path
                          : path.substr(0, static_cast<std::size_t>(server) + static_cast<std::size_t>(share) + 1);
    }
    return "";
}

FolderMacroTable::FolderMacroTable()
    : entries_{{{"(App)", "(App)"},
                {"(Prg)", ""},
                {"(Win)", ""},
                {"(Sys)", ""},
                {"(Tmp)", ""},
                {"(Boo)", ""},
                {"(Set)", ""},
                {"(Edr)", ""},
                {"(Smn)", ""},
                {"(Sta)", ""},
                {"(Dsk)", ""},
                {"(Sup)", ""},
                {"(Sen)", ""},
                {"(Myd)", ""},
                {"(C_Smn)", ""},
                {"(C_Sta)", ""},
                {"(C_Dsk)", ""},
                {"(C_Sup)", ""},
                {"(C_Myd)", ""}}} {}

namespace {

// The tokens are ASCII, and the locale's upper-case mapping never turns a double-byte
// character into ASCII, so an ASCII comparison ignoring case decides as the mapping would.
bool SameAsciiText(const char* token, const std::string& text) {
    std::size_t i = 0;
    for (; token[i] && i < text.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(token[i])) != std::toupper(static_cast<unsigned char>(text[i])))
            return false;
    return !token[i] && i == text.size();
}

std::string AsciiUpper(const char* token) {
    std::string upper = token;
    for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    return upper;
}

}  // namespace

std::size_t FolderMacroTable::IndexOf(const std::string& token) const {
    std::size_t i = 0;
    while (i < entries_.size() && !SameAsciiText(entries_[i].token, token)) ++i;
    return i;
}

void FolderMacroTable::Set(const std::string& token, const std::string& value) {
    const std::size_t i = IndexOf(token);
    if (i == entries_.size()) return;
    entries_[i].value = value;
    entries_[i].lookup = nullptr;
}

void FolderMacroTable::SetLookup(const std::string& token, std::function<std::string()> lookup) {
    const std::size_t i = IndexOf(token);
    if (i < entries_.size()) entries_[i].lookup = std::move(lookup);
}

const std::string& FolderMacroTable::Value(FolderMacro& entry) const {
    if (entry.lookup) {
        // Taken out first: a lookup may read other macros, and must run only once.
        const std::function<std::string()> lookup = std::move(entry.lookup);
        entry.lookup = nullptr;
        entry.value = lookup();
    }
    return entry.value;
}

const std::string& FolderMacroTable::Get(const std::string& token) const {
    static const std::string none;
    const std::size_t i = IndexOf(token);
    return i < entries_.size() ? Value(entries_[i]) : none;
}

bool FolderMacroTable::Has(const std::string& token) const { return IndexOf(token) < entries_.size(); }

std::string FolderMacroTable::Expand(const std::string& text) const {
    std::string result = text;
    // The text is mapped to upper case once, and again only after a replacement changed it.
    std::string upper = MapString(result, kMapUpperCase);
    for (FolderMacro& entry : entries_) {
        if (FindText(AsciiUpper(entry.token), upper) == 0) continue;
        result = ReplaceToken(result, entry.token, Value(entry));
        upper = MapString(result, kMapUpperCase);
    }
    return result;
}

FolderMacroTable& FolderMacros() {
    static FolderMacroTable table;
    return table;
}

std::string ExpandFolderMacros(const std::string& text) { return FolderMacros().Expand(text); }

std::string InstalledProgramsFile(const std::string& windowsFolder) {
    return RemovePathDelimiter(windowsFolder, "B") + "\\KELVO98.INI";
}
