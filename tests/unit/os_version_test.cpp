#include "engine/os_version.h"

#include <gtest/gtest.h>

struct OsCase {
    int platform, major, minor, build;
    const char* name;
    WindowsFamily family;
};

TEST(RecognizeOs, Table) {
    constexpr WindowsFamily Nt = WindowsFamily::Nt, NotNt = WindowsFamily::NotNt, Unknown = WindowsFamily::Unknown;
    const OsCase cases[] = {
        {2, 4, 0, 1381, "Windows NT4.0", Nt},
        {2, 5, 0, 2195, "Windows 2000", Nt},
        {2, 5, 1, 2600, "Windows XP", Nt},
        {2, 5, 2, 3790, "Windows 2003", Nt},
        {2, 5, 3, 0, "Windows NT Technology", Nt},
        {2, 6, 1, 7601, "Windows", Nt},
        {2, 10, 0, 19045, "Windows", Nt},
        {1, 4, 0, 950, "Windows 95", NotNt},
        {1, 4, 10, 1998, "Windows 98", NotNt},
        {1, 4, 10, 2222, "Windows 98<SE>", NotNt},
        {1, 4, 10, 0x040A07CE, "Windows 98", NotNt},
        {1, 4, 10, 0x040A08AE, "Windows 98<SE>", NotNt},
        {1, 4, 10, 0x040A0000, "Windows", NotNt},
        {1, 4, 90, 3000, "Windows Me", NotNt},
        {1, 4, 10, 3000, "Windows Me", NotNt},
        {1, 4, 10, 0x045A0BB8, "Windows Me", NotNt},
        {1, 4, -1, 0, "Windows", NotNt},
        {-1, -1, -1, -1, "Windows", Unknown},
        {0, 3, 1, 0, "Windows", Unknown},
    };
    for (const OsCase& c : cases) {
        OsIdentity id = RecognizeOs(c.platform, c.major, c.minor, c.build);
        EXPECT_EQ(id.name, c.name) << c.platform << " " << c.major << "." << c.minor << "." << c.build;
        EXPECT_EQ(id.family, c.family) << c.name;
    }
}
