#include "engine/strings.h"

#include <gtest/gtest.h>

#include "engine/code_page.h"

// 表 (0x95 0x5C), ソ (0x83 0x5C) and 能 (0x94 0x5C) end in the backslash byte.
static const std::string kHyo = "表";
static const std::string kSo = "ソ";

TEST(Encoding, SourceLiteralsAreShiftJis) {
    ASSERT_EQ(kHyo, std::string("\x95\x5C"));
    ASSERT_EQ(kSo, std::string("\x83\x5C"));
    ASSERT_EQ(std::string("能"), std::string("\x94\x5C"));
}

TEST(Substrings, LeftRightMidClampToTheText) {
    EXPECT_EQ(LeftStr("abcdef", 3), "abc");
    EXPECT_EQ(LeftStr("ab", 5), "ab");
    EXPECT_EQ(LeftStr("ab", 0), "");
    EXPECT_EQ(LeftStr("ab", -1), "");
    EXPECT_EQ(RightStr("abcdef", 2), "ef");
    EXPECT_EQ(RightStr("ab", 9), "ab");
    EXPECT_EQ(MidStr("abcdef", 3), "cdef");
    EXPECT_EQ(MidStr("abc", 4), "");
    EXPECT_EQ(MidStr("abc", 9), "");
}

TEST(GetField, EmptyFieldsCountAndNothingIsTrimmed) {
    EXPECT_EQ(GetField("a,,c", ",", 1), "a");
    EXPECT_EQ(GetField("a,,c", ",", 2), "");
    EXPECT_EQ(GetField("a,,c", ",", 3), "c");
    EXPECT_EQ(GetField("a,,c", ",", 4), "");
    EXPECT_EQ(GetField("whole", ",", 1), "whole");
    EXPECT_EQ(GetField("whole", ",", 2), "");
    EXPECT_EQ(GetField(" a , b", ",", 2), " b");
    EXPECT_EQ(GetField("a,,b", ",,", 1), "a,,b");
    EXPECT_EQ(GetField("a,,b", ",,", 2), "");
}

TEST(FindText, NeverMatchesOnATrailByte) {
    EXPECT_EQ(FindText("\\", kHyo + kSo), 0);
    EXPECT_EQ(FindText("\\", kHyo + "\\x"), 3);
    EXPECT_EQ(FindText("", "abc"), 0);
    EXPECT_EQ(FindText("c", "abc"), 3);
    EXPECT_EQ(FindText("abcd", "abc"), 0);
    // A lead byte followed by a trail byte that looks like "A" is no "A".
    EXPECT_EQ(FindText("A", "\x82\x41"), 0);
}

TEST(ContainsText, IgnoresLetterCase) {
    EXPECT_EQ(ContainsText("(App)", "abc(APP)\\x"), 4);
    EXPECT_EQ(ContainsText("(app)", "(App)"), 1);
    EXPECT_EQ(ContainsText("ｘ", "ＡＢＸ"), 5);  // full-width letters fold too
    EXPECT_EQ(ContainsText("z", "abc"), 0);
}

TEST(MapString, UpperAndFullWidth) {
    EXPECT_EQ(MapString("abc表xyz", kMapUpperCase), "ABC表XYZ");
    EXPECT_EQ(MapString("ａｂ", kMapUpperCase), "ＡＢ");
    EXPECT_EQ(MapString("A1 ", kMapFullWidth), "Ａ１　");
    EXPECT_EQ(MapString("ｱｲ", kMapFullWidth), "アイ");
    EXPECT_EQ(MapString("漢字", kMapFullWidth), "漢字");
    EXPECT_EQ(MapString("", kMapUpperCase), "");
}

TEST(PathDelimiter, TrailByteIsNoDelimiter) {
    EXPECT_TRUE(EndsWithPathDelimiter("C:\\"));
    EXPECT_FALSE(EndsWithPathDelimiter("C:\\" + kHyo));
    EXPECT_TRUE(EndsWithPathDelimiter("C:\\" + kHyo + "\\"));
    EXPECT_FALSE(EndsWithPathDelimiter(""));
    EXPECT_TRUE(IsPathDelimiterAt("\\x", 0));
    EXPECT_FALSE(IsPathDelimiterAt(kSo, 1));
}

TEST(ZeroPadded, WritesWhatPrintfZeroPaddingWrites) {
    EXPECT_EQ(ZeroPadded(7, 2), "07");
    EXPECT_EQ(ZeroPadded(2026, 4), "2026");
    EXPECT_EQ(ZeroPadded(12345, 4), "12345");  // never cut
    EXPECT_EQ(ZeroPadded(0, 3), "000");
    EXPECT_EQ(ZeroPadded(-5, 3), "-05");  // the sign takes a place
    EXPECT_EQ(ZeroPadded(-5, 1), "-5");
    EXPECT_EQ(ZeroPadded(5, 0), "5");
    EXPECT_EQ(ZeroPadded(-2147483648LL, 12), "-02147483648");
    EXPECT_EQ(ZeroPadded(-9223372036854775807LL - 1, 2), "-9223372036854775808");
}
