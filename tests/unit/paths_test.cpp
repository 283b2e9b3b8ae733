#include "engine/paths.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

static const std::string kHyo = "表";  // second byte 0x5C

TEST(PathDelimiters, AddAndRemove) {
    EXPECT_EQ(AddPathDelimiter("", "B"), "\\");
    EXPECT_EQ(AddPathDelimiter("", "T"), "\\");
    EXPECT_EQ(AddPathDelimiter("", "x"), "");
    EXPECT_EQ(AddPathDelimiter("C:\\a", "B"), "C:\\a\\");
    EXPECT_EQ(AddPathDelimiter("C:\\a\\", "B"), "C:\\a\\");
    EXPECT_EQ(AddPathDelimiter("a", "T"), "\\a");
    EXPECT_EQ(AddPathDelimiter("\\a", "T"), "\\a");
    EXPECT_EQ(AddPathDelimiter("a", "b"), "a");  // option letter is case-sensitive
    EXPECT_EQ(AddPathDelimiter("C:\\" + kHyo, "B"), "C:\\" + kHyo + "\\");
    EXPECT_EQ(RemovePathDelimiter("\\", "B"), "");
    EXPECT_EQ(RemovePathDelimiter("C:\\a\\\\", "B"), "C:\\a\\");
    EXPECT_EQ(RemovePathDelimiter("\\\\a", "T"), "\\a");
    EXPECT_EQ(RemovePathDelimiter("C:\\" + kHyo, "B"), "C:\\" + kHyo);
}

TEST(PathParts, SplitOnlyAtRealDelimiters) {
    EXPECT_EQ(FolderOfPath("C:\\dir\\file.exe"), "C:\\dir\\");
    EXPECT_EQ(NameOfPath("C:\\dir\\file.exe"), "file.exe");
    EXPECT_EQ(FolderOfPath("C:\\" + kHyo + "x"), "C:\\");
    EXPECT_EQ(NameOfPath("C:\\d\\" + kHyo), kHyo);
    EXPECT_EQ(NameOfPath("UNSETUP.INI"), "UNSETUP.INI");
    EXPECT_EQ(DriveOfPath("C:\\Windows\\"), "C:");
    EXPECT_EQ(DriveOfPath("\\\\srv\\share\\x"), "\\\\srv\\share");
    EXPECT_EQ(DriveOfPath("\\\\" + kHyo + "\\" + kHyo + "\\x"), "\\\\" + kHyo + "\\" + kHyo);
    EXPECT_EQ(DriveOfPath("\\\\srv"), "\\\\srv");
    EXPECT_EQ(DriveOfPath("relative"), "");
}

TEST(ReplaceToken, JoinsDelimitersAndDoesNotRescanInsertedText) {
    EXPECT_EQ(ReplaceToken("(Prg)\\Tools", "(Prg)", "C:\\Program Files\\"), "C:\\Program Files\\Tools");
    EXPECT_EQ(ReplaceToken("(Dsk)\\\\x", "(Dsk)", "C:\\D\\"), "C:\\D\\\\x");
    EXPECT_EQ(ReplaceToken("(prg)a(PRG)", "(Prg)", "P"), "PaP");
    EXPECT_EQ(ReplaceToken("(App)\\x", "(App)", "(App)"), "(App)\\x");
    EXPECT_EQ(ReplaceToken("a(App)b(App)", "(App)", "[(App)]"), "a[(App)]b[(App)]");
    EXPECT_EQ(ReplaceToken("a<改行>b", "<改行>", "\r\n"), "a\r\nb");
    EXPECT_EQ(ReplaceToken("none", "(x)", "y"), "none");
}

TEST(FolderMacros, ExpandInTableOrder) {
    FolderMacroTable table;
    table.Set("(Win)", "C:\\WINDOWS\\");
    table.Set("(Sys)", "C:\\WINDOWS\\SYSTEM\\");
    table.Set("(Prg)", "C:\\Program Files\\");
    table.Set("(Dsk)", "C:\\Desktop\\");
    EXPECT_EQ(table.Expand("(prg)\\Tools"), "C:\\Program Files\\Tools");
    EXPECT_EQ(table.Expand("(Win)(Sys)"), "C:\\WINDOWS\\C:\\WINDOWS\\SYSTEM\\");
    EXPECT_EQ(table.Expand("(Dsk)\\\\a.lnk"), "C:\\Desktop\\\\a.lnk");
    EXPECT_EQ(table.Expand("(App)\\a"), "(App)\\a");
    EXPECT_EQ(table.Expand("(Foo)\\a"), "(Foo)\\a");
    // A value brought in by an earlier entry is expanded by later ones, never the reverse.
    table.Set("(App)", "(Win)Kelvo\\");
    EXPECT_EQ(table.Expand("(App)x"), "C:\\WINDOWS\\Kelvo\\x");
    table.Set("(App)", "C:\\A\\");
    table.Set("(Prg)", "(App)P\\");
    EXPECT_EQ(table.Expand("(Prg)"), "(App)P\\");
}

TEST(FolderMacros, LookupRunsOnceOnFirstUse) {
    FolderMacroTable table;
    std::vector<std::string> asked;
    table.Set("(Win)", "C:\\WINDOWS\\");
    table.SetLookup("(Prg)", [&] {
        asked.push_back("(Prg)");
        return std::string("C:\\Program Files\\");
    });
    table.SetLookup("(Sen)", [&] {
        asked.push_back("(Sen)");
        return std::string("C:\\SendTo\\");
    });
    // A copy of another macro: the lookup may read the table it belongs to.
    table.SetLookup("(C_Smn)", [&] {
        asked.push_back("(C_Smn)");
        return table.Get("(Sen)") + "x\\";
    });
    EXPECT_EQ(table.Expand("(Win)a"), "C:\\WINDOWS\\a");
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(table.Expand("(prg)\\Tools"), "C:\\Program Files\\Tools");
    EXPECT_EQ(table.Get("(PRG)"), "C:\\Program Files\\");
    EXPECT_EQ(table.Expand("(C_Smn)"), "C:\\SendTo\\x\\");
    EXPECT_EQ(table.Get("(Sen)"), "C:\\SendTo\\");
    EXPECT_EQ(asked, (std::vector<std::string>{"(Prg)", "(C_Smn)", "(Sen)"}));
    // A value set before the lookup ran replaces it for good.
    table.SetLookup("(Dsk)", [&] {
        asked.push_back("(Dsk)");
        return std::string("wrong");
    });
    table.Set("(Dsk)", "C:\\Desktop\\");
    EXPECT_EQ(table.Expand("(Dsk)"), "C:\\Desktop\\");
    EXPECT_EQ(asked.size(), 3u);
}
