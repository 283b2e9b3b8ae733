#include "engine/ini_slot.h"

#include <unordered_map>

#include "engine/code_page.h"
#include "engine/strings.h"

std::string FindIniEntrySlot(const std::string& entry, const std::string& section, const std::string& prefix,
                             const std::string& iniText, bool mark) {
    const std::string key = GetField(entry, ",", 1);
    const int header = ContainsText("[" + section + "]", iniText);
    if (header == 0) return prefix + "1=" + entry + "\r\n";

    std::string rest = MidStr(iniText, header);
    std::size_t headerEnd = rest.find("\r\n");
    rest = headerEnd == std::string::npos ? "" : rest.substr(headerEnd + 2);

    int n = 0;
    std::string listedLine;
    for (;;) {
        ++n;
        std::string line;
        std::string found;
        std::size_t lineEnd = rest.find("\r\n");
        if (lineEnd != std::string::npos) {
            line = rest.substr(0, lineEnd);
            rest.erase(0, lineEnd + 2);
            if (ContainsText(prefix + std::to_string(n), line) != 0) {
                std::size_t eq = line.find('=');
                found = eq == std::string::npos ? "" : line.substr(eq + 1);
            }
        }
        found = GetField(found, ",", 1);
        if (!found.empty() && SameText(found, key)) {
            listedLine = line;
            n = 0;
            break;
        }
        if (found.empty()) break;
    }
    if (n > 0) return prefix + std::to_string(n) + "=" + entry + "\r\n";
    return mark ? "[!!]" + listedLine : "";
}

std::vector<std::string> NumberedValues(const std::string& lines, const std::string& prefix) {
    std::unordered_map<std::string, std::string> values;
    for (std::size_t start = 0; start < lines.size();) {
        std::size_t end = start;
        while (end < lines.size() && lines[end] != '\0') ++end;
        const std::string line(lines.data() + start, end - start);
        start = end + 1;
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        std::string value = line.substr(eq + 1);
        // Matching single or double quotes go, as GetPrivateProfileString takes them off.
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        values.emplace(MapString(line.substr(0, eq), kMapUpperCase), value);  // the first of a repeated key wins
    }
    std::vector<std::string> result;
    const std::string upperPrefix = MapString(prefix, kMapUpperCase);
    for (int n = 1;; ++n) {
        auto it = values.find(upperPrefix + std::to_string(n));
        if (it == values.end() || it->second.empty()) return result;
        result.push_back(it->second);
    }
}
