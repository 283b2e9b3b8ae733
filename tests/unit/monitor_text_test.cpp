#include <gtest/gtest.h>

#include "monitor/layout.h"
#include "monitor/text_rules.h"

TEST(MonitorNumbers, LeadingNumberRoundsHalvesToEven) {
    EXPECT_EQ(LeadingNumber("12.5"), 12);
    EXPECT_EQ(LeadingNumber("13.5"), 14);
    EXPECT_EQ(LeadingNumber("-2.5"), -2);
    EXPECT_EQ(LeadingNumber("7分"), 7);
    EXPECT_EQ(LeadingNumber("abc"), 0);
    EXPECT_EQ(LeadingNumber(""), 0);
    EXPECT_EQ(LeadingNumber(" 1 5 "), 15);
    EXPECT_EQ(LeadingNumber("-1"), -1);
    EXPECT_EQ(LeadingNumber("20000x"), 20000);
    EXPECT_EQ(LeadingNumber("1e3"), 1000);
    EXPECT_EQ(LeadingNumber("99999999999"), std::nullopt);
}

TEST(MonitorNumbers, FlagsAcceptWordsAndNumbersOnly) {
    EXPECT_EQ(ParseFlag("True"), true);
    EXPECT_EQ(ParseFlag("tRUE"), true);
    EXPECT_EQ(ParseFlag("FALSE"), false);
    EXPECT_EQ(ParseFlag("0"), false);
    EXPECT_EQ(ParseFlag("-1"), true);
    EXPECT_EQ(ParseFlag("2.5"), true);
    EXPECT_EQ(ParseFlag("yes"), std::nullopt);
    EXPECT_EQ(ParseFlag("1x"), std::nullopt);
    EXPECT_STREQ(FlagText(true), "True");
    EXPECT_STREQ(FlagText(false), "False");
}

TEST(MonitorInterval, EntriesAreRightAlignedInThreeColumns) {
    EXPECT_EQ(IntervalEntry(1), "  1分");
    EXPECT_EQ(IntervalEntry(10), " 10分");
    EXPECT_EQ(IntervalEntry(120), "120分");
}

TEST(MonitorInterval, PickerTextBackToMinutes) {
    EXPECT_EQ(IntervalMinutes(" 15分"), 15);
    EXPECT_EQ(IntervalMinutes("  1分"), 1);
    EXPECT_EQ(IntervalMinutes(""), 0);
    EXPECT_EQ(IntervalMinutes("1分2分"), 12);
    for (int minutes = 1; minutes <= 120; ++minutes) {
        EXPECT_EQ(IntervalMinutes(IntervalEntry(minutes)), minutes);
    }
}

TEST(MonitorOutputFile, FourLinesWithTwentyCharacterPrefixes) {
    std::string text =
        OutputFileText(FormatTimestamp({2026, 12, 6, 18, 2, 56}), "203.0.113.7", "host.example", "192.168.1.10");
    EXPECT_EQ(text,
              "Get Date Time     : 2026/12/06 18:02:56\r\n"
              "Global IP Address : 203.0.113.7\r\n"
              "Host Name         : host.example\r\n"
              "Local  IP Address : 192.168.1.10\r\n");
    EXPECT_EQ(OutputFileText("t", "", "", ""),
              "Get Date Time     : t\r\nGlobal IP Address : \r\nHost Name         : \r\nLocal  IP Address : \r\n");
}

TEST(MonitorOutputFile, LineBreaksInAnswersCannotAddLines) {
    std::string text = OutputFileText("t", "203.0.113.7\n", "evil\r\nGlobal IP Address : 1.1.1.1", "");
    int lines = 0;
    for (char c : text) lines += c == '\n';
    EXPECT_EQ(lines, 4);
    EXPECT_NE(text.find("Host Name         : evil  Global IP Address : 1.1.1.1\r\n"), std::string::npos);
}

TEST(MonitorDisplay, ClippingNeverSplitsADoubleByteCharacter) {
    EXPECT_EQ(ClipForDisplay("未接続", 4), "未接");
    EXPECT_EQ(ClipForDisplay("未接続", 5), "未接");
    EXPECT_EQ(ClipForDisplay("abc", 10), "abc");
    EXPECT_EQ(ClipForDisplay(std::string(5000, 'x'), 256).size(), 256u);
}

TEST(MonitorPosition, SavedPlaceIsPulledBackOntoTheScreen) {
    Position p = StartPosition({20000, 300}, 19200, 10800);
    EXPECT_EQ(p.left, 15315);
    EXPECT_EQ(p.top, 300);
    p = StartPosition({100, 20000}, 19200, 10800);
    EXPECT_EQ(p.left, 100);
    EXPECT_EQ(p.top, 10200);
    p = StartPosition({-1, -1}, 19200, 10800);
    EXPECT_EQ(p.left, (19200 - 3885) / 2);
    EXPECT_EQ(p.top, (10800 - 600) / 2);
    p = StartPosition({-1, 450}, 19200, 10800);
    EXPECT_EQ(p.left, -1);
    EXPECT_EQ(p.top, 450);
    p = StartPosition({-3000, -20}, 19200, 10800);
    EXPECT_EQ(p.left, -3000);
    EXPECT_EQ(p.top, -20);
}

TEST(MonitorLayout, OnlyTheListedElementsDragTheWindow) {
    EXPECT_TRUE(ElementAt(10, 10)->drags);  // the base around the frames
    EXPECT_STREQ(ElementAt(2000, 100)->name, "PicGlobalIP");
    EXPECT_STREQ(ElementAt(3650, 40)->name, "lblEnd_Waku");
    EXPECT_EQ(ElementAt(3650, 40)->action, Action::End);
    EXPECT_FALSE(ElementAt(3635, 20)->drags);   // the button column
    EXPECT_FALSE(ElementAt(100, 560)->drags);   // the progress line
    EXPECT_FALSE(ElementAt(100, 1000)->drags);  // the settings panel
    EXPECT_EQ(ElementAt(5000, 10), nullptr);
    EXPECT_EQ(ElementNamed("lblBase02").top + ElementNamed("lblBase02").height, kUnfoldedHeight);
    try {
        ElementNamed("lblNoSuch");
        ADD_FAILURE() << "a misspelt element name passed silently";
    } catch (const UnknownElement& e) {
        EXPECT_STREQ(e.what(), "no element lblNoSuch");
    }
}
