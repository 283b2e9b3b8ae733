#include "engine/ini_slot.h"

#include <gtest/gtest.h>

TEST(FindIniEntrySlot, MissingSectionStartsAtOne) {
    EXPECT_EQ(FindIniEntrySlot("C:\\a.txt,1", "CopyFile", "File", "[Other]\r\nFile1=x\r\n", true),
              "File1=C:\\a.txt,1\r\n");
}

TEST(FindIniEntrySlot, NextFreeNumberAfterOtherKeys) {
    const std::string ini = "[CopyFile]\r\nFile1=C:\\a,1\r\nFile2=C:\\b,1\r\n[Next]\r\nFile3=C:\\c\r\n";
    EXPECT_EQ(FindIniEntrySlot("C:\\c,2", "copyfile", "File", ini, true), "File3=C:\\c,2\r\n");
}

TEST(FindIniEntrySlot, ListedKeyIsMarkedOrSkipped) {
    const std::string ini = "[CopyFile]\r\nFile1=C:\\a,1\r\nFile2=C:\\B.TXT,7\r\n";
    EXPECT_EQ(FindIniEntrySlot("c:\\b.txt,1", "CopyFile", "File", ini, true), "[!!]File2=C:\\B.TXT,7");
    EXPECT_EQ(FindIniEntrySlot("c:\\b.txt,1", "CopyFile", "File", ini, false), "");
}

TEST(FindIniEntrySlot, SequenceBreaksAtGapsAndEmptyValues) {
    // The count stops at the first line that breaks the sequence.
    EXPECT_EQ(FindIniEntrySlot("x", "S", "K", "[S]\r\nK1=a\r\nK3=b\r\n", true), "K2=x\r\n");
    EXPECT_EQ(FindIniEntrySlot("x", "S", "K", "[S]\r\nK1=\r\nK2=x\r\n", true), "K1=x\r\n");
    // A last line without CR LF is not read.
    EXPECT_EQ(FindIniEntrySlot("x", "S", "K", "[S]\r\nK1=x", true), "K1=x\r\n");
    EXPECT_EQ(FindIniEntrySlot("x", "S", "K", "[S]", true), "K1=x\r\n");
}
