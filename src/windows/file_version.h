#pragma once
// The program's version as the background window's caption shows it.
#include <cstdint>
#include <string>

struct FileVersionInfo {
    std::int32_t major = 0;
    std::int32_t minor = 0;
    std::int32_t release = 0;
    std::int32_t build = 0;
};

// Splits a FileVersion string "major.minor.release.build"; a missing part is 0.
FileVersionInfo ParseFileVersion(std::string text);
// "1.40(Build:1074/D3)": minor and release joined as one number of at least two digits.
std::string VersionText(const FileVersionInfo& version);
// "Kelvo Setup Version" + VersionText.
std::string VersionCaption(const FileVersionInfo& version);
