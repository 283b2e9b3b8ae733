#include "engine/ini_slot.h"

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
