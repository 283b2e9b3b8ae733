#pragma once
// INI files read and written by the programs themselves, not through the system's profile
// functions: those convert an ANSI file through the system's code page, which loses the
// Japanese bytes anywhere but on code page 932. The file keeps its bytes on every system.
// A name without a folder means the Windows folder, as it does for the system.
#include <string>
#include <vector>

// The whole file as code page 932 text (a UTF-16 file converted); empty when it cannot be read.
std::string ReadIniText(const std::string& file);
std::string ReadIniValue(const std::string& section, const std::string& key, const std::string& defaultValue,
                         const std::string& file);
// 0, or the system's error when the value could not be written.
[[nodiscard]] unsigned long WriteIniValue(const std::string& section, const std::string& key, const std::string& value,
                                          const std::string& file);
// Removes the key's line; 0 also when the file, the section or the key is not there.
[[nodiscard]] unsigned long RemoveIniKey(const std::string& section, const std::string& key, const std::string& file);
// Removes the section and its keys; 0 also when the file or the section is not there.
[[nodiscard]] unsigned long RemoveIniSection(const std::string& section, const std::string& file);
// The values of prefix1, prefix2, ... up to the first missing or empty one, from one walk
// over the section however long it is (ini_lists_win.cpp: setup's alone).
std::vector<std::string> ReadNumberedValues(const std::string& section, const std::string& prefix,
                                            const std::string& file);
