#include "windows/file_version.h"

#include <gtest/gtest.h>

TEST(VersionCaption, ProgramVersion) {
    const FileVersionInfo v = ParseFileVersion("1.4.0.1074");
    EXPECT_EQ(v.major, 1);
    EXPECT_EQ(v.minor, 4);
    EXPECT_EQ(v.release, 0);
    EXPECT_EQ(v.build, 1074);
    EXPECT_EQ(VersionCaption(v), "Kelvo Setup Version1.40(Build:1074/D3)");
}

TEST(VersionCaption, MinorAndReleaseJoinToThreeDigits) {
    EXPECT_EQ(VersionText(ParseFileVersion("2.12.3.5")), "2.123(Build:0005/D3)");
}

TEST(VersionCaption, NoVersionResourceGivesZeros) {
    EXPECT_EQ(VersionCaption(FileVersionInfo{}), "Kelvo Setup Version0.00(Build:0000/D3)");
    EXPECT_EQ(VersionText(ParseFileVersion("")), "0.00(Build:0000/D3)");
}

TEST(ParseFileVersion, MissingAndMalformedParts) {
    // Without dots the whole text is the build number.
    const FileVersionInfo build = ParseFileVersion("77");
    EXPECT_EQ(build.major, 0);
    EXPECT_EQ(build.build, 77);
    const FileVersionInfo two = ParseFileVersion("3.5");
    EXPECT_EQ(two.major, 3);
    EXPECT_EQ(two.minor, 0);
    EXPECT_EQ(two.build, 5);
    const FileVersionInfo junk = ParseFileVersion("a.b.c.d");
    EXPECT_EQ(VersionText(junk), "0.00(Build:0000/D3)");
    EXPECT_EQ(ParseFileVersion("1.2.3.99999999999").build, 0);  // out of range: 0, not a wrap
}
