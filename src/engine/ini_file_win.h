#pragma once
// INI access through the system's private-profile functions.
#include <string>
#include <vector>

std::string ReadIniValue(const std::string& section, const std::string& key, const std::string& defaultValue,
                         const std::string& file);
// 0, or the system's error when the value could not be written.
[[nodiscard]] unsigned long WriteIniValue(const std::string& section, const std::string& key, const std::string& value,
                                          const std::string& file);
// The values of prefix1, prefix2, ... up to the first missing or empty one.
std::vector<std::string> ReadNumberedValues(const std::string& section, const std::string& prefix,
                                            const std::string& file);
