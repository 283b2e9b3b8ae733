// The WININIT.INI text edit that deletes files at the next start on the 95 platform.
#include <gtest/gtest.h>

#include "engine/restart_files.h"

TEST(InsertRenameLine, AppendsToALoneRenameSection) {
    EXPECT_EQ(InsertRenameLine("[Rename]\r\n", "Nul=C:\\K\\A.DLL"), "[Rename]\r\nNul=C:\\K\\A.DLL\r\n");
    EXPECT_EQ(InsertRenameLine("[Rename]\r\nNUL=C:\\X\r\n", "DirNul=C:\\K"),
              "[Rename]\r\nNUL=C:\\X\r\nDirNul=C:\\K\r\n");
}

TEST(InsertRenameLine, BeforeTheFirstEmptyLineInsideRename) {
    EXPECT_EQ(InsertRenameLine("[Rename]\r\nA=B\r\n\r\n[Other]\r\nC=D\r\n", "Nul=X"),
              "[Rename]\r\nA=B\r\nNul=X\r\n\r\n[Other]\r\nC=D\r\n");
    // Only once, before the first of several empty lines.
    EXPECT_EQ(InsertRenameLine("[Rename]\r\nA=B\r\n\r\n\r\n", "Nul=X"), "[Rename]\r\nA=B\r\nNul=X\r\n\r\n\r\n");
    // Right after the header.
    EXPECT_EQ(InsertRenameLine("[Rename]\r\n\r\n[Other]\r\n", "Nul=X"), "[Rename]\r\nNul=X\r\n\r\n[Other]\r\n");
}

TEST(InsertRenameLine, SectionNameInAnyCase) {
    EXPECT_EQ(InsertRenameLine("[rename]\r\nA=B\r\n\r\n[x]\r\n", "Nul=X"), "[rename]\r\nA=B\r\nNul=X\r\n\r\n[x]\r\n");
    EXPECT_EQ(InsertRenameLine("[RENAME]\r\n\r\n", "Nul=X"), "[RENAME]\r\nNul=X\r\n\r\n");
}

TEST(InsertRenameLine, EmptyLinesOfOtherSectionsDoNotCount) {
    EXPECT_EQ(InsertRenameLine("[Other]\r\nC=D\r\n\r\n[Rename]\r\nA=B\r\n", "Nul=X"),
              "[Other]\r\nC=D\r\n\r\n[Rename]\r\nA=B\r\nNul=X\r\n");
    // An empty line after [Rename] has ended: the line goes to the end.
    EXPECT_EQ(InsertRenameLine("[Rename]\r\nA=B\r\n[Other]\r\n\r\n", "Nul=X"),
              "[Rename]\r\nA=B\r\n[Other]\r\n\r\nNul=X\r\n");
    // No [Rename] at all: at the end.
    EXPECT_EQ(InsertRenameLine("[Other]\r\nA=B\r\n", "Nul=X"), "[Other]\r\nA=B\r\nNul=X\r\n");
    EXPECT_EQ(InsertRenameLine("", "Nul=X"), "Nul=X\r\n");
}

TEST(InsertRenameLine, DuplicateKeysAreKept) {
    std::string text = "[Rename]\r\nNul=C:\\K\\A.DLL\r\n";
    text = InsertRenameLine(text, "Nul=C:\\K\\A.DLL");
    text = InsertRenameLine(text, "Nul=C:\\K\\B.DLL");
    EXPECT_EQ(text, "[Rename]\r\nNul=C:\\K\\A.DLL\r\nNul=C:\\K\\A.DLL\r\nNul=C:\\K\\B.DLL\r\n");
}

TEST(InsertRenameLine, TextWithoutTrailingLineBreak) {
    EXPECT_EQ(InsertRenameLine("[Rename]\r\nA=B", "Nul=X"), "[Rename]\r\nA=B\r\nNul=X\r\n");
    EXPECT_EQ(InsertRenameLine("[Rename]", "Nul=X"), "[Rename]\r\nNul=X\r\n");
}

TEST(InsertRenameLine, DoubleByteNamesPassUnchanged) {
    EXPECT_EQ(InsertRenameLine("[Rename]\r\nC:\\表\\A=C:\\WINDOWS\\KSTMP1.TMP\r\n\r\n", "Nul=C:\\表\\ソ"),
              "[Rename]\r\nC:\\表\\A=C:\\WINDOWS\\KSTMP1.TMP\r\nNul=C:\\表\\ソ\r\n\r\n");
}
