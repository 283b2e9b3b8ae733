#include "engine/ini_text.h"

namespace {

constexpr std::size_t npos = std::string_view::npos;

// Blanks as the profile functions trim them, the old end-of-file mark among them.
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1a'; }

bool IsLeadByte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

// Letter case is folded in ASCII only, as the system compares names; both bytes of a
// double-byte character compare as they are, so a trail byte never passes for a letter.
char Folded(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (IsLeadByte(a[i])) {
            if (a.compare(i, 2, b, i, 2) != 0) return false;
            ++i;
        } else if (Folded(a[i]) != Folded(b[i])) {
            return false;
        }
    }
    return true;
}

// One pair of matching quotes goes; neither quote can be the trail byte of a character.
std::string Unquoted(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return std::string(value);
}

// A line: its bytes up to the line break (CR LF, CR or LF), and where the next one starts.
struct Line {
    std::size_t begin = 0, end = 0, next = 0;
};

Line LineAt(std::string_view text, std::size_t at) {
    const std::size_t end = text.find_first_of("\r\n", at);
    if (end == npos) return {at, text.size(), text.size()};
    const bool crlf = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
    return {at, end, end + (crlf ? 2 : 1)};
}

// What the parser sees of a line: the bytes before a NUL, trimmed.
std::string_view Content(std::string_view text, const Line& line) {
    const std::string_view bytes = text.substr(line.begin, line.end - line.begin);
    return Trim(bytes.substr(0, bytes.find('\0')));
}

// The name in a header "[name]"; text after the last ']' does not count.
std::optional<std::string_view> HeaderName(std::string_view content) {
    if (content.empty() || content[0] != '[') return std::nullopt;
    std::size_t close = npos;
    for (std::size_t i = 1; i < content.size(); i += IsLeadByte(content[i]) ? 2 : 1)
        if (content[i] == ']') close = i;
    if (close == npos) return std::nullopt;
    return Trim(content.substr(1, close - 1));
}

struct Place {
    bool section = false;
    std::size_t head = 0, end = 0;  // the section's header line, and the next section's
    std::size_t tail = 0;           // after the last line of the section that is not blank
    bool tailOpen = false;          // that line ends the text without a line break
    bool key = false;
    Line keyLine;
    std::string_view keyName, value;  // as the file holds them, trimmed
};

// The first section of that name and its first key of that name (an empty key finds none).
// Lines before the first header belong to the section without a name.
Place Find(std::string_view text, std::string_view section, std::string_view key) {
    Place place;
    bool inside = place.section = section.empty();
    for (std::size_t at = 0; at < text.size();) {
        const Line line = LineAt(text, at);
        at = line.next;
        const std::string_view content = Content(text, line);
        const auto name = HeaderName(content);
        if (name && inside) {
            place.end = line.begin;
            return place;
        }
        if (name) {
            inside = place.section = SameName(*name, section);
            place.head = line.begin;
        }
        if (!inside || content.empty()) continue;
        place.tail = line.next;
        place.tailOpen = line.next == line.end;
        const std::size_t eq = content.find('=');
        if (name || place.key || key.empty() || eq == npos || !SameName(Trim(content.substr(0, eq)), key)) continue;
        place.key = true;
        place.keyLine = line;
        place.keyName = Trim(content.substr(0, eq));
        place.value = Trim(content.substr(eq + 1));
    }
    place.end = text.size();
    return place;
}

}  // namespace

std::optional<std::string> IniValue(std::string_view text, std::string_view section, std::string_view key) {
    const Place place = Find(text, Trim(section), Trim(key));
    if (!place.key) return std::nullopt;
    return Unquoted(place.value);
}

std::string IniSectionLines(std::string_view text, std::string_view section) {
    section = Trim(section);
    const Place place = Find(text, section, {});
    std::string lines;
    if (!place.section) return lines;
    for (std::size_t at = place.head; at < place.end;) {
        const Line line = LineAt(text, at);
        at = line.next;
        const std::string_view content = Content(text, line);
        if (content.empty() || content[0] == ';' || (line.begin == place.head && !section.empty())) continue;
        const std::size_t eq = content.find('=');
        if (eq == npos) {
            lines += content;
        } else {
            lines += Trim(content.substr(0, eq));
            lines += '=';
            lines += Trim(content.substr(eq + 1));
        }
        lines += '\0';
    }
    return lines;
}

std::string SetIniValue(std::string_view text, std::string_view section, std::string_view key, std::string_view value) {
    section = Trim(section);
    key = Trim(key);
    while (!value.empty() && IsBlank(value.front())) value.remove_prefix(1);  // the system drops these too
    const Place place = Find(text, section, key);
    if (place.key && place.value == value) return std::string(text);
    // One piece of text goes in: in place of the key's line, after the section's last line,
    // or as a new section at the end.
    std::string entry;
    std::size_t at = place.tail;
    if (!place.section) {
        at = text.size();
        if (at && text.back() != '\n' && text.back() != '\r') entry = "\r\n";
        entry += '[';
        entry += section;
        entry += "]\r\n";
    } else if (!place.key && place.tailOpen) {
        entry = "\r\n";
    }
    entry += place.key ? place.keyName : key;
    entry += '=';
    entry += value;
    if (place.key)
        return std::string(text).replace(place.keyLine.begin, place.keyLine.end - place.keyLine.begin, entry);
    entry += "\r\n";
    return std::string(text).insert(at, entry);
}

std::string DeleteIniKey(std::string_view text, std::string_view section, std::string_view key) {
    const Place place = Find(text, Trim(section), Trim(key));
    std::string out(text);
    if (place.key) out.erase(place.keyLine.begin, place.keyLine.next - place.keyLine.begin);
    return out;
}

std::string DeleteIniSection(std::string_view text, std::string_view section) {
    const Place place = Find(text, Trim(section), {});
    std::string out(text);
    if (place.section) out.erase(place.head, place.end - place.head);
    return out;
}
