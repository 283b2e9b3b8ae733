// The uninstall log: a previous log's list read back, merged with this run's entries,
// written, and read again as the next run or the uninstaller would.
// Input: a flag byte (bit 0: the [DeleteFile] shared mark), this run's entries one a
// line, 0x00, then the previous log's section lines ("File1=..."), one a line.
// Property: the merged list keeps every path of both lists exactly once, in the order
// first met, each with the first entry's text and the shared mark when any copy had it.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "engine/code_page.h"
#include "engine/ini_slot.h"
#include "engine/strings.h"
#include "fuzz_support.h"
#include "install/uninstall_log.h"

namespace {

// A value as the system's INI reading hands it over: matching quotes taken off.
std::string AsRead(const std::string& value) {
    const bool quoted =
        value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front();
    return quoted ? value.substr(1, value.size() - 2) : value;
}

std::vector<std::string> EntryLines(const std::string& text) {
    std::vector<std::string> lines;
    for (std::string line : fuzz::Split(reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), '\n')) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        // A value in quotes is read back without them: not the merge's doing.
        if (line.find('\r') == std::string::npos && AsRead(line) == line) lines.push_back(line);
    }
    return lines;
}

// The section's "key=value" lines of a log text, NUL-ended as the system returns them.
std::string SectionLines(const std::string& text) {
    std::string lines;
    std::size_t start = text.find("\r\n");  // after the header
    while (start != std::string::npos && start + 2 < text.size()) {
        start += 2;
        const std::size_t end = text.find("\r\n", start);
        lines += text.substr(start, end - start) + '\0';
        start = end;
    }
    return lines;
}

std::string Key(const std::string& entry) { return MapString(GetField(entry, ",", 1), kMapUpperCase); }

void CheckMerge(const std::vector<std::string>& current, const std::vector<std::string>& carried, bool shared) {
    LogSection section("[DeleteFile]", "File", shared);
    std::vector<std::string> order;
    std::map<std::string, std::string> first;
    std::map<std::string, bool> marked;
    for (const auto* list : {&current, &carried}) {
        for (const std::string& entry : *list) {
            section.Add(entry);
            const std::string key = Key(entry);
            if (key.empty()) continue;
            if (first.emplace(key, entry).second) order.push_back(key);
            else marked[key] = marked[key] || (shared && ContainsText("/S", entry) != 0);
        }
    }
    const std::vector<std::string> merged = NumberedValues(SectionLines(section.Text()), "File");
    FUZZ_CHECK(merged.size() <= order.size());
    for (std::size_t i = 0; i < merged.size(); ++i) {
        const std::string& entry = first[order[i]];
        FUZZ_CHECK(Key(merged[i]) == order[i]);
        FUZZ_CHECK(merged[i].compare(0, entry.size(), entry) == 0);
        if (merged[i].size() > entry.size()) FUZZ_CHECK(marked[order[i]]);
        // Appended to a lone lead byte, the mark would become part of its character.
        if (marked[order[i]] && fuzz::WellFormed(entry)) FUZZ_CHECK(ContainsText("/S", merged[i]) != 0);
        FUZZ_CHECK(GetField(merged[i], ",", 1) == GetField(entry, ",", 1));
    }
    FUZZ_CHECK(merged.size() == order.size());
}

void CheckRelations(const std::vector<std::string>& values) {
    RestoreRelateSlots slots;
    for (const std::string& value : values) {
        slots.LoadPrevious(GetField(value, ":", 1));
        const std::string extension = GetField(GetField(value, ":", 2), ",", 1);  // as [Relate] gives it
        if (extension.empty()) continue;
        if (slots.Save(extension, GetField(value, ":", 3))) FUZZ_CHECK(slots.Holds(extension));
    }
    UninstallLogContent content;
    content.relations = slots;
    content.lists.files.current = values;
    int last = 0;
    BuildUninstallLog(content, [&](int dots) {
        FUZZ_CHECK(dots >= last);
        last = dots;
    });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::size_t split = text.find('\0');
    const std::vector<std::string> current = EntryLines(text.substr(0, split));
    std::string previous;
    if (split != std::string::npos)
        for (const std::string& line : EntryLines(text.substr(split + 1))) previous += line + '\0';
    std::vector<std::string> carried;
    for (const std::string& value : NumberedValues(previous, "File"))
        if (AsRead(value) == value) carried.push_back(value);
    CheckMerge(current, carried, data[0] & 1);
    CheckRelations(current);
    return 0;
}
