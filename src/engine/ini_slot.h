#pragma once
// Numbered lists of INI text held in memory: where an entry goes, and reading them.
#include <string>
#include <vector>

// Returns prefix + n + "=" + entry + CRLF for the first free number n, or, when the
// entry's key is already listed, "[!!]" + that line (mark set) or the empty text.
std::string FindIniEntrySlot(const std::string& entry, const std::string& section, const std::string& prefix,
                             const std::string& iniText, bool mark);

// The values of prefix1, prefix2, ... up to the first missing or empty one, from a section's
// "key=value" lines as the system hands them over, each ending in NUL.
std::vector<std::string> NumberedValues(const std::string& sectionLines, const std::string& prefix);
