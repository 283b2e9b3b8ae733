#include "engine/ini_file_win.h"

#include <gtest/gtest.h>

#include "test_support_win.h"

TEST(IniFile, ValuesOfAnyLengthReadWhole) {
    ScratchFolder dir;
    const std::string file = dir / "A.INI";
    for (std::size_t length : {254u, 255u, 256u, 511u, 30000u}) {
        const std::string value(length, 'v');
        ASSERT_EQ(WriteIniValue("S", "K", value, file), 0u);
        EXPECT_EQ(ReadIniValue("S", "K", "", file), value) << length;
    }
    // Scripts come from distributors' editors: far beyond 64 KiB still reads whole.
    WriteFile(file, "[S]\r\nK=" + std::string(200000, 'w') + "\r\n");
    EXPECT_EQ(ReadIniValue("S", "K", "", file).size(), 200000u);
}

TEST(IniFile, MissingKeysAndFilesGiveTheDefault) {
    ScratchFolder dir;
    EXPECT_EQ(ReadIniValue("S", "K", "dflt", dir / "none.ini"), "dflt");
    EXPECT_EQ(ReadIniValue("S", "K", "", dir / "none.ini"), "");
    ASSERT_EQ(WriteIniValue("Sec", "Key", "x", dir / "B.INI"), 0u);
    EXPECT_EQ(ReadIniValue("sec", "KEY", "", dir / "B.INI"), "x");  // names ignore case
    EXPECT_EQ(ReadIniValue("Sec", "Other", "d", dir / "B.INI"), "d");
}

TEST(IniFile, ShiftJisTrailBackslashesRoundTripInNamesAndValues) {
    ScratchFolder dir;
    const std::string folder = dir / "表ソ能\\";
    ASSERT_EQ(CreateFolderPath(folder), 0u);
    const std::string file = folder + "設定.INI";
    const std::string value = "C:\\表\\ソ\\能";
    ASSERT_EQ(WriteIniValue("表示", "ソフト", value, file), 0u);
    EXPECT_EQ(ReadIniValue("表示", "ソフト", "", file), value);
    // Written as code page 932 text with CR LF, so other programs can read it.
    EXPECT_EQ(ReadFile(file), "[表示]\r\nソフト=" + value + "\r\n");
}

TEST(IniFile, NumberedListsOfThousandsReadWholeInOrder) {
    // A log of a large package: the section alone is several times the first read's 64 KiB,
    // in a UTF-16 file twice the size of the text it gives.
    ScratchFolder dir;
    std::string lines = "[Other]\r\nFile1=not this\r\n[DeleteFile]\r\n";
    for (int n = 1; n <= 6000; ++n)
        lines += "File" + std::to_string(n) + "=C:\\App\\Data\\F" + std::to_string(n) + ".DAT,/S\r\n";
    WriteFile(dir / "UNSETUP.INI", lines + "[Tail]\r\nKey=x\r\n");
    std::string wide = "\xFF\xFE";
    for (char c : lines) wide += std::string{c, '\0'};
    WriteFile(dir / "WIDE.INI", wide);
    for (const char* name : {"UNSETUP.INI", "WIDE.INI"}) {
        const std::vector<std::string> values = ReadNumberedValues("DeleteFile", "File", dir / name);
        ASSERT_EQ(values.size(), 6000u) << name;
        EXPECT_EQ(values.front(), "C:\\App\\Data\\F1.DAT,/S") << name;
        EXPECT_EQ(values.back(), "C:\\App\\Data\\F6000.DAT,/S") << name;
    }
    EXPECT_TRUE(ReadNumberedValues("DeleteFile", "File", dir / "none.ini").empty());
}
