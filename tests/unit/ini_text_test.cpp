// What the system's profile functions cannot show: Wine writes a whole new file from what it
// parsed, so only here do the kept lines, line breaks and NUL bytes of an edit show.
#include "engine/ini_text.h"

#include <gtest/gtest.h>

#include <string>

using namespace std::string_literals;

TEST(IniText, EditsKeepEveryOtherLineByteForByte) {
    const std::string text = "; top\r\n\r\n  [S]  \nA = 1\n\tnoeq\r\n\r\n[T]\rB=2";
    EXPECT_EQ(SetIniValue(text, "S", "a", "9"), "; top\r\n\r\n  [S]  \nA=9\n\tnoeq\r\n\r\n[T]\rB=2");
    // A new key goes after the section's last line, before the blank lines that part it from the next.
    EXPECT_EQ(SetIniValue(text, "S", "K", "v"), "; top\r\n\r\n  [S]  \nA = 1\n\tnoeq\r\nK=v\r\n\r\n[T]\rB=2");
    EXPECT_EQ(SetIniValue(text, "T", "K", "v"), "; top\r\n\r\n  [S]  \nA = 1\n\tnoeq\r\n\r\n[T]\rB=2\r\nK=v\r\n");
    EXPECT_EQ(SetIniValue(text, "U", "K", "v"), text + "\r\n[U]\r\nK=v\r\n");
    EXPECT_EQ(DeleteIniKey(text, "S", "A"), "; top\r\n\r\n  [S]  \n\tnoeq\r\n\r\n[T]\rB=2");
    EXPECT_EQ(DeleteIniSection(text, "S"), "; top\r\n\r\n[T]\rB=2");
    EXPECT_EQ(DeleteIniSection(text, "T"), "; top\r\n\r\n  [S]  \nA = 1\n\tnoeq\r\n\r\n");
    // The same value, a missing key or section: the text as it was.
    EXPECT_EQ(SetIniValue(text, "S", "A", "1"), text);
    EXPECT_EQ(DeleteIniKey(text, "S", "B"), text);
    EXPECT_EQ(DeleteIniSection(text, "U"), text);
}

TEST(IniText, NulBytesEndWhatIsReadButStayInTheFile) {
    const std::string text = "[S]\r\nA=1\0x=y\r\nK=2\r\n"s;
    EXPECT_EQ(IniValue(text, "S", "A"), "1");
    EXPECT_EQ(IniValue(text, "S", "x"), std::nullopt);
    EXPECT_EQ(IniSectionLines(text, "S"), "A=1\0K=2\0"s);
    EXPECT_EQ(SetIniValue(text, "S", "K", "3"), "[S]\r\nA=1\0x=y\r\nK=3\r\n"s);
    EXPECT_EQ(SetIniValue(text, "S", "A", "3"), "[S]\r\nA=3\r\nK=2\r\n");
}

TEST(IniText, DoubleByteNamesKeepTheirTrailBytes) {
    // 0x83 0x41 and 0x83 0x61 differ only in a trail byte that is a letter in ASCII: not the
    // same name. ']' (0x5D) and '\' (0x5C) as trail bytes do not end a header or a name.
    const std::string text = "[\x83\x5D]\r\n\x83\x41=a\r\n[\x95\x5C]x]\r\nK=b\r\n";
    EXPECT_EQ(IniValue(text, "\x83\x5D", "\x83\x41"), "a");
    EXPECT_EQ(IniValue(text, "\x83\x5D", "\x83\x61"), std::nullopt);
    EXPECT_EQ(IniValue(text, "\x95\x5C]x", "k"), "b");
    // Its only ']' a trail byte: no header, so the key belongs to the lines before any header.
    EXPECT_EQ(IniValue("[\x83\x5D\r\nK=1\r\n", "", "K"), "1");
    EXPECT_EQ(SetIniValue(text, "\x83\x5D", "\x83\x61", "c"),
              "[\x83\x5D]\r\n\x83\x41=a\r\n\x83\x61=c\r\n[\x95\x5C]x]\r\nK=b\r\n");
}

TEST(IniText, KeysBeforeTheFirstHeaderFormTheSectionWithoutName) {
    const std::string text = "K=top\r\n[S]\r\nK=s\r\n";
    EXPECT_EQ(IniValue(text, "", "K"), "top");
    EXPECT_EQ(IniValue(text, "S", "K"), "s");
    EXPECT_EQ(SetIniValue(text, "", "J", "1"), "K=top\r\nJ=1\r\n[S]\r\nK=s\r\n");
    EXPECT_EQ(SetIniValue("", "", "J", "1"), "J=1\r\n");
}
