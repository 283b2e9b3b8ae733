#pragma once
// INI files as text held in memory, code page 932 bytes whatever the system's code page:
// reading a value or a section, and the text with one value set, one key or one section
// gone. Edits keep every other line byte for byte (CR LF, LF, NUL bytes, comments).
// The rules are those of the system's profile functions: names compared without letter
// case and trimmed of blanks, the first matching section and key win, a value loses the
// blanks around it and one pair of enclosing quotes.
#include <optional>
#include <string>
#include <string_view>

// The key's value, or nothing when the section, the key or its '=' is missing.
std::optional<std::string> IniValue(std::string_view text, std::string_view section, std::string_view key);

// The section's lines as the system hands them over: "key=value" (blanks trimmed, quotes
// kept) or a line without '=', each ending in NUL; comments and blank lines left out.
std::string IniSectionLines(std::string_view text, std::string_view section);

// The text with the value set: in place of the first matching key, else after the last
// line of the section, else in a new section at the end. Unchanged when the value is.
std::string SetIniValue(std::string_view text, std::string_view section, std::string_view key, std::string_view value);
// The text without the first matching key's line, or without the first matching section.
std::string DeleteIniKey(std::string_view text, std::string_view section, std::string_view key);
std::string DeleteIniSection(std::string_view text, std::string_view section);
