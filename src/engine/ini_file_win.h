#pragma once
// INI access through the system's private-profile functions.
#include <string>

std::string ReadIniValue(const std::string& section, const std::string& key, const std::string& defaultValue,
                         const std::string& file);
bool WriteIniValue(const std::string& section, const std::string& key, const std::string& value,
                   const std::string& file);
