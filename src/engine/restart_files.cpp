#include "engine/restart_files.h"

#include "engine/strings.h"

std::string InsertRenameLine(const std::string& text, const std::string& line) {
    std::string out;
    std::string section;
    bool placed = false;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find("\r\n", start);
        const std::string current = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        start = end == std::string::npos ? text.size() : end + 2;
        if (!current.empty() && current[0] == '[') section = current;
        if (!placed && current.empty() && ContainsText("[Rename]", section)) {
            out += line + "\r\n";
            placed = true;
        }
        out += current + "\r\n";
    }
    if (!placed) out += line + "\r\n";
    return out;
}

namespace {

// The text after prefix (up to end) when text starts with it, ASCII letters in any case; else null.
const char* AfterPrefix(const char* text, const char* prefix, char end = 0) {
    for (; *prefix != end; ++text, ++prefix) {
        const char lower = static_cast<char>(*text | 0x20);
        if (*text != *prefix && ((*text ^ *prefix) != 0x20 || lower < 'a' || lower > 'z')) return nullptr;
    }
    return text;
}

}  // namespace

const char* RedirectedSystemPath(const char* path, const char* systemFolder) {
    const char* rest = *systemFolder ? AfterPrefix(path, systemFolder) : nullptr;
    if (!rest || !*rest) return nullptr;
    // The folders below system32 that 64-bit Windows shares with 32-bit programs.
    for (const char* shared = "catroot|catroot2|driverstore|drivers\\etc|logfiles|spool|"; *shared; ++shared) {
        const char* after = AfterPrefix(rest, shared, '|');
        if (after && (!*after || *after == '\\')) return nullptr;
        while (*shared != '|') ++shared;
    }
    return rest - 1;
}
