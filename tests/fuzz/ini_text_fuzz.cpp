// INI text held in memory: reading a numbered list from a section's lines (the way the
// script and the uninstall log are read), finding the slot for a new entry, and the
// WININIT.INI [Rename] edit; the whole-file reader and editor of INI text. Input: a
// selector byte, then fields after 0x01.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/ini_slot.h"
#include "engine/ini_text.h"
#include "engine/restart_files.h"
#include "engine/strings.h"
#include "fuzz_support.h"

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = text.find("\r\n", start);
        lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        start = end == std::string::npos ? text.size() : end + 2;
    }
    return lines;
}

bool Quoted(const std::string& value) {
    return value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front();
}

void CheckNumberedValues(const std::string& lines, const std::string& prefix) {
    const std::vector<std::string> values = NumberedValues(lines, prefix);
    // Written back as prefix1, prefix2, ... the list reads the same.
    std::string written;
    bool plain = true;
    for (std::size_t i = 0; i < values.size(); ++i) {
        FUZZ_CHECK(!values[i].empty());
        FUZZ_CHECK(lines.find(values[i]) != std::string::npos);
        plain = plain && !Quoted(values[i]);
        written += prefix + std::to_string(i + 1) + "=" + values[i] + '\0';
    }
    const bool plainPrefix = prefix.find_first_of(std::string("=\0", 2)) == std::string::npos;
    if (plain && plainPrefix) FUZZ_CHECK(NumberedValues(written, prefix) == values);
}

void CheckSlot(const std::string& entry, const std::string& section, const std::string& prefix, const std::string& ini,
               bool mark) {
    const std::string slot = FindIniEntrySlot(entry, section, prefix, ini, mark);
    if (slot.empty()) return FUZZ_CHECK(!mark);
    // The listed line, as it stands in the text.
    if (mark && slot.compare(0, 4, "[!!]") == 0 && ini.find(slot.substr(4) + "\r\n") != std::string::npos) return;
    const std::string tail = "=" + entry + "\r\n";
    FUZZ_CHECK(slot.size() > prefix.size() + tail.size());
    FUZZ_CHECK(slot.compare(0, prefix.size(), prefix) == 0);
    FUZZ_CHECK(slot.compare(slot.size() - tail.size(), tail.size(), tail) == 0);
    const std::string number = slot.substr(prefix.size(), slot.size() - prefix.size() - tail.size());
    FUZZ_CHECK(number.find_first_not_of("0123456789") == std::string::npos && number[0] != '0');
}

void CheckRename(const std::string& text, const std::string& line) {
    if (line.find("\r\n") != std::string::npos) return;
    const std::string out = InsertRenameLine(text, line);
    // Every line kept in order, the new one added once: before an empty line or at the end.
    const std::vector<std::string> before = Lines(text), after = Lines(out);
    FUZZ_CHECK(out.size() >= 2 && out.compare(out.size() - 2, 2, "\r\n") == 0);
    FUZZ_CHECK(after.size() == before.size() + 1);
    // Where it may stand: the lines before it and after it are the old ones.
    std::size_t head = 0, tail = 0;
    while (head < before.size() && before[head] == after[head]) ++head;
    while (tail < before.size() && before[before.size() - 1 - tail] == after[after.size() - 1 - tail]) ++tail;
    bool placed = false;
    for (std::size_t at = before.size() - tail; at <= head && !placed; ++at)
        placed = after[at] == line && (at == before.size() || before[at].empty());
    FUZZ_CHECK(placed);
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1a'; }

std::string Trimmed(std::string text) {
    while (!text.empty() && IsBlank(text.back())) text.pop_back();
    while (!text.empty() && IsBlank(text.front())) text.erase(0, 1);
    return text;
}

// A name that reads back as itself: no line break, NUL, '=', brackets or comment mark, and
// whole characters (a lead byte at the end would take the ']' or '=' after it).
bool PlainName(const std::string& name) {
    const std::string trimmed = Trimmed(name);
    if (trimmed.empty() || name.find_first_of(std::string("\r\n\0=[];", 8)) != std::string::npos) return false;
    std::size_t i = 0;
    while (i < trimmed.size()) i += CurrentCodePage().IsLeadByte(static_cast<unsigned char>(trimmed[i])) ? 2 : 1;
    return i == trimmed.size();
}

void CheckIniEdits(const std::string& text, const std::string& section, const std::string& key,
                   const std::string& value, const std::string& otherKey) {
    const std::string set = SetIniValue(text, section, key, value);
    (void)DeleteIniSection(text, section);
    if (!PlainName(section) || !PlainName(key) || value.find_first_of(std::string("\r\n\0", 3)) != std::string::npos)
        return;
    // Read back as the system would: blanks and one pair of quotes off.
    std::string expected = Trimmed(value);
    if (expected.size() >= 2 && (expected[0] == '"' || expected[0] == '\'') && expected.back() == expected[0])
        expected = expected.substr(1, expected.size() - 2);
    FUZZ_CHECK(IniValue(set, section, key) == expected);
    FUZZ_CHECK(SetIniValue(set, section, key, value) == set);
    // Deleting the key again leaves what deleting it from the old text leaves.
    FUZZ_CHECK(IniValue(DeleteIniKey(set, section, key), section, key) ==
               IniValue(DeleteIniKey(text, section, key), section, key));
    // Other keys keep their values, unless the name is the same in another letter case.
    const std::string upper = MapString(Trimmed(key), kMapUpperCase);
    if (PlainName(otherKey) && MapString(Trimmed(otherKey), kMapUpperCase) != upper)
        FUZZ_CHECK(IniValue(set, section, otherKey) == IniValue(text, section, otherKey));
}

void CheckIniLists(const std::string& text, const std::string& section, const std::string& prefix) {
    // The list from the section's lines holds what reading each key gives (in ASCII text,
    // where both readers fold letter case alike).
    if (!PlainName(prefix) || prefix.find_first_of(" \t\v\f\x1a") != std::string::npos) return;
    for (char c : text + prefix)
        if (static_cast<unsigned char>(c) >= 0x80) return;
    const std::vector<std::string> values = NumberedValues(IniSectionLines(text, section), prefix);
    for (std::size_t i = 0; i < values.size(); ++i)
        FUZZ_CHECK(IniValue(text, section, prefix + std::to_string(i + 1)) == values[i]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::vector<std::string> f = fuzz::Split(data + 1, size - 1, '\x01');
    if (data[0] >= 0x80) {
        if (data[0] & 1) CheckIniLists(f[0], fuzz::Field(f, 1), fuzz::Field(f, 2));
        else CheckIniEdits(f[0], fuzz::Field(f, 1), fuzz::Field(f, 2), fuzz::Field(f, 3), fuzz::Field(f, 4));
        return 0;
    }
    switch (data[0] % 3) {
        case 0: CheckNumberedValues(f[0], f.size() > 1 ? f[1] : "File"); break;
        case 1:
            CheckSlot(fuzz::Field(f, 0), fuzz::Field(f, 1), fuzz::Field(f, 2), fuzz::Field(f, 3), data[0] & 4);
            break;
        case 2: CheckRename(f[0], fuzz::Field(f, 1)); break;
    }
    return 0;
}
