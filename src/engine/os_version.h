#pragma once
// Naming the Windows version from what the version query reports.
#include <string>

constexpr int kPlatformWin95 = 1;  // VER_PLATFORM_WIN32_WINDOWS
constexpr int kPlatformNT = 2;     // VER_PLATFORM_WIN32_NT

enum class WindowsFamily { Unknown, Nt, NotNt };  // NotNt: 95, 98 and Me

struct OsIdentity {
    std::string name;  // e.g. "Windows XP"; "Windows" when not recognised
    WindowsFamily family = WindowsFamily::Unknown;
};

// A failed query passes -1 for all four numbers.
OsIdentity RecognizeOs(int platform, int major, int minor, int build);
