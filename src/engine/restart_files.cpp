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
