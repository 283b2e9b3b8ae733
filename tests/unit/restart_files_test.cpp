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

// A 32-bit program on 64-bit Windows: where a path goes on after a redirected system folder.
std::string Redirected(const char* path, const char* system = "C:\\WINDOWS\\system32\\") {
    const char* rest = RedirectedSystemPath(path, system);
    return rest ? rest : "(not redirected)";
}

TEST(RedirectedSystemPath, FilesInTheSystemFolderAndBelowIt) {
    EXPECT_EQ(Redirected("C:\\WINDOWS\\system32\\KVSHARE.DLL"), "\\KVSHARE.DLL");
    // In any case, and below it.
    EXPECT_EQ(Redirected("c:\\windows\\SYSTEM32\\sub\\A.DLL"), "\\sub\\A.DLL");
    EXPECT_EQ(Redirected("C:\\WINDOWS\\system32\\表示.DLL"), "\\表示.DLL");
    EXPECT_EQ(Redirected("C:\\WINDOWS\\system32\\drivers\\a.sys"), "\\drivers\\a.sys");
}

TEST(RedirectedSystemPath, ElsewhereThePathStays) {
    for (const char* path : {"C:\\WINDOWS\\KSTMP1.TMP", "C:\\Program Files\\A\\B.DLL", "D:\\WINDOWS\\system32\\A",
                             "C:\\WINDOWS\\system32x\\A.DLL", "C:\\WINDOWS\\system3", "C:\\WINDOWS\\system32",
                             "C:\\WINDOWS\\system32\\", "C:\\WINDOWS\\SysWOW64\\A.DLL", ""})
        EXPECT_EQ(Redirected(path), "(not redirected)") << path;
    // A system folder that could not be found names no folder at all.
    EXPECT_EQ(Redirected("C:\\A.DLL", ""), "(not redirected)");
    // A path that ends inside the folder's name, also where a space follows: never read past it.
    EXPECT_EQ(Redirected("C:\\MY", "C:\\MY WINDOWS\\system32\\"), "(not redirected)");
    EXPECT_EQ(Redirected("C:\\MY WINDOWS\\SYSTEM32\\A.DLL", "C:\\My Windows\\system32\\"), "\\A.DLL");
    // Only ASCII letters match in another case.
    EXPECT_EQ(Redirected("C:\\WINDOWS{system32\\A.DLL", "C:\\WINDOWS[system32\\"), "(not redirected)");
}

TEST(RedirectedSystemPath, FoldersWindowsSharesWithThe32BitProgramsStay) {
    for (const char* path : {"C:\\WINDOWS\\system32\\spool\\drivers\\A.DLL", "C:\\WINDOWS\\system32\\SPOOL",
                             "C:\\WINDOWS\\system32\\drivers\\etc\\hosts", "C:\\WINDOWS\\system32\\Drivers\\ETC",
                             "C:\\WINDOWS\\system32\\CatRoot2\\x", "C:\\WINDOWS\\system32\\catroot\\x",
                             "C:\\WINDOWS\\system32\\DriverStore\\x", "C:\\WINDOWS\\system32\\LogFiles\\x.log"})
        EXPECT_EQ(Redirected(path), "(not redirected)") << path;
    // Only those folders: a longer name, or a name that only begins like one, is redirected.
    EXPECT_EQ(Redirected("C:\\WINDOWS\\system32\\spooler.dll"), "\\spooler.dll");
    EXPECT_EQ(Redirected("C:\\WINDOWS\\system32\\drivers\\etcx"), "\\drivers\\etcx");
    EXPECT_EQ(Redirected("C:\\WINDOWS\\system32\\catroot3\\x"), "\\catroot3\\x");
    EXPECT_EQ(Redirected("C:\\WINDOWS\\system32\\cat"), "\\cat");
}
