#pragma once
// Finding where an entry goes in a numbered list of INI text held in memory.
#include <string>

// Returns prefix + n + "=" + entry + CRLF for the first free number n, or, when the
// entry's key is already listed, "[!!]" + that line (mark set) or the empty text.
std::string FindIniEntrySlot(const std::string& entry, const std::string& section, const std::string& prefix,
                             const std::string& iniText, bool mark);
