#include "engine/journal.h"

#include <cstdint>

#include "engine/code_page.h"
#include "engine/strings.h"

std::string JournalLine(JournalKind kind, const std::string& value) {
    return std::string(1, static_cast<char>(kind)) + "=" + value + "\r\n";
}

std::size_t WholeLinesLength(const std::string& text) {
    const std::size_t end = text.rfind("\r\n");
    return end == std::string::npos ? 0 : end + 2;
}

std::vector<JournalRecord> ReadJournalLines(const std::string& text) {
    std::vector<JournalRecord> records;
    const std::size_t whole = WholeLinesLength(text);
    for (std::size_t at = 0; at < whole;) {
        const std::size_t end = text.find("\r\n", at);
        const std::string line = text.substr(at, end - at);
        at = end + 2;
        // A line of another form (a write taken back half-way) is skipped, never guessed at.
        if (line.size() >= 2 && line[1] == '=' && line.find('\0') == std::string::npos)
            records.push_back({static_cast<JournalKind>(line[0]), line.substr(2)});
    }
    return records;
}

std::string InstallJournalPath(const std::string& windowsFolder, const std::string& installFolder) {
    std::uint32_t hash = 2166136261u;  // FNV-1a
    for (const char c : MapString(installFolder, kMapUpperCase))
        hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    static const char kDigits[] = "0123456789ABCDEF";
    std::string name = "KS";
    for (int shift = 20; shift >= 0; shift -= 4) name += kDigits[(hash >> shift) & 0xf];
    return windowsFolder + name + ".JNL";
}
