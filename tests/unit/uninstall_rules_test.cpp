#include "uninstall/uninstall_rules.h"

#include <gtest/gtest.h>

#include "engine/paths.h"
#include "engine/shared_dll.h"

namespace {

const std::string kWin = "C:\\WINDOWS\\", kSys = "C:\\WINDOWS\\SYSTEM32\\";

FileAction Decide(unsigned long count, const std::string& options, const std::string& path) {
    return DecideFileAction(count, options, path, kWin, kSys);
}

}  // namespace

TEST(UninstallFiles, FirstMatchingRowDecides) {
    EXPECT_EQ(Decide(2, "/S/F", "C:\\App\\A.DLL"), FileAction::LowerShared);
    EXPECT_EQ(Decide(1, "/s", "C:\\App\\A.DLL"), FileAction::LowerShared);
    // Counted by others but not marked shared here: it stays, even with "/C".
    EXPECT_EQ(Decide(1, "/C", "C:\\App\\A.TXT"), FileAction::KeepShared);
    EXPECT_EQ(Decide(0, "/S", "C:\\App\\A.TXT"), FileAction::Delete);  // count already gone
    EXPECT_EQ(Decide(0, "/c/L", "C:\\App\\A.TXT"), FileAction::AskCaution);
    EXPECT_EQ(Decide(0, "/W/l", "C:\\App\\A.TXT"), FileAction::Keep);
    EXPECT_EQ(Decide(0, "", "c:\\windows\\system32\\x.ocx"), FileAction::AskComponent);
    EXPECT_EQ(Decide(0, "", "C:\\Windows\\x.dll.bak"), FileAction::AskComponent);
    EXPECT_EQ(Decide(0, "", "C:\\App\\x.dll"), FileAction::Delete);  // a component of its own folder
    EXPECT_EQ(Decide(0, "/R", "C:\\Windows\\x.txt"), FileAction::Delete);
}

TEST(UninstallRefusals, SystemFoldersRootsAndRelativePaths) {
    for (const char* refused :
         {"C:\\", "C:", "C:\\*.*", "C:\\*", "C:\\WINDOWS", "c:\\windows\\", "C:\\WINDOWS\\*.*", "C:\\Windows\\System32",
          "C:\\WINDOWS\\SYSTEM32\\*.DLL", "APP.TXT", "..\\x.txt", "C:\\App\\..\\WINDOWS\\*.*", "", "\\x"})
        EXPECT_TRUE(IsRefusedPath(refused, kWin, kSys)) << refused;
    for (const char* allowed :
         {"C:\\App\\A.TXT", "C:\\App\\DATA\\*.TMP", "C:\\WINDOWS\\APP.INI", "C:\\WINDOWS\\SYSTEM32\\APPCMP.DLL",
          "C:\\WINDOWS\\Fonts\\*.xyz", "\\\\server\\share\\a.txt", "C:\\表\\A.TXT"})
        EXPECT_FALSE(IsRefusedPath(allowed, kWin, kSys)) << allowed;
}

TEST(UninstallRefusals, ShareRootsAndFoldersHoldingTheSystem) {
    for (const char* refused :
         {"\\\\server\\share", "\\\\server\\share\\", "\\\\server\\share\\*", "\\\\server", "\\\\\x83\x5C\\share\\*.*"})
        EXPECT_TRUE(IsRefusedPath(refused, kWin, kSys)) << refused;
    // Windows below the drive's top level: the folders above it go with it.
    for (const char* refused : {"D:\\OS", "d:\\os\\", "D:\\OS\\*", "D:\\OS\\WIN\\*.*", "D:\\*\\", "D:\\OS\\WIN\\*.*\\"})
        EXPECT_TRUE(IsRefusedPath(refused, "D:\\OS\\WIN", "D:\\OS\\WIN\\SYSTEM32")) << refused;
    for (const char* allowed : {"D:\\OS\\A.TXT", "D:\\OS\\WINAPP\\*", "\\\\\x83\x5C\\share\\a\\*"})
        EXPECT_FALSE(IsRefusedPath(allowed, "D:\\OS\\WIN", "D:\\OS\\WIN\\SYSTEM32")) << allowed;
}

TEST(UninstallRefusals, RegistryKeysNeedTwoLevels) {
    for (const char* refused :
         {"", "\\", "SOFTWARE", "SOFTWARE\\", "\\SOFTWARE\\", "Software\\\\", "\\\\SOFTWARE", "\\\\\\", "\x83\x5C\\"})
        EXPECT_TRUE(IsRefusedRegistryKey(refused)) << refused;
    for (const char* allowed : {"SOFTWARE\\Vendor", "Software\\Vendor\\App\\", ".abc\\shell", "SOFTWARE\\\x83\x5C"})
        EXPECT_FALSE(IsRefusedRegistryKey(allowed)) << allowed;
    const LogRegistryKey tagged = SplitLogRegistryKey("(Local)SOFTWARE\\Vendor");
    EXPECT_EQ(tagged.rootTag, "(Local)");
    EXPECT_EQ(tagged.path, "SOFTWARE\\Vendor");
    // Either mark missing means an untagged key under the current user (unlike [Registry]).
    EXPECT_EQ(SplitLogRegistryKey("(LocalSOFTWARE\\x").rootTag, "(Cuser)");
    EXPECT_EQ(SplitLogRegistryKey("Local)SOFTWARE\\x").path, "Local)SOFTWARE\\x");
}

TEST(UninstallInstallFolder, ProtectedFoldersAndBlocks) {
    FolderMacroTable saved = FolderMacros();
    FolderMacros().Set("(Win)", "C:\\WINDOWS\\");
    FolderMacros().Set("(Myd)", "C:\\Users\\u\\Documents\\");
    EXPECT_TRUE(IsProtectedInstallFolder("C:\\"));
    EXPECT_TRUE(IsProtectedInstallFolder("c:\\windows\\"));
    EXPECT_TRUE(IsProtectedInstallFolder("C:\\Users\\U\\Documents\\"));
    EXPECT_FALSE(IsProtectedInstallFolder("C:\\WINDOWS\\App\\"));
    FolderMacros() = saved;

    EXPECT_EQ(
        InstallFolderBlock("C:\\A\\", 145, "x\r\n", "インストール", false),
        "<SetupFolder> C:\\A\\\r\nファイル・フォルダが残っているため、インストールフォルダを削除できませんでした。"
        "エクスプローラなどから、直接削除してください。\r\n\r\n");
    EXPECT_EQ(InstallFolderBlock("C:\\A\\", 5, "x\r\n", "S", true),
              "<SetupFolder> C:\\A\\\r\n全ファイル・フォルダの削除を試みましたが、エラーが発生したため、"
              "Sフォルダを削除できませんでした。エクスプローラなどから、直接削除してください。\r\n\r\n");
    EXPECT_EQ(InstallFolderBlock("C:\\A\\", 3, "パスが見つかりません。\r\n", "S", false),
              "<SetupFolder> C:\\A\\\r\nパスが見つかりません。\r\n\r\n");
}

TEST(SharedNameKey, NamesTheRegistryTakesForOneValueShareAKeyAndOthersDiffer) {
    EXPECT_EQ(SharedNameKey("c:\\windows\\system\\vbrun.dll"), SharedNameKey("C:\\WINDOWS\\SYSTEM\\VBRUN.DLL"));
    // Full-width Ａ (82 60) and ａ (82 81): the registry takes them for one letter, and a
    // trail byte in the ASCII range must not part them.
    EXPECT_EQ(SharedNameKey("C:\\\x82\x60.DLL"), SharedNameKey("c:\\\x82\x81.dll"));
    EXPECT_NE(SharedNameKey("C:\\A.DLL"), SharedNameKey("C:\\B.DLL"));
    EXPECT_NE(SharedNameKey("C:\\A.DLL"), SharedNameKey("C:\\A.DLL2"));
    EXPECT_NE(SharedNameKey("C:\\\xB1.DLL"), SharedNameKey("C:\\\xB2.DLL"));  // half-width kana have no case
    EXPECT_EQ(SharedNameKey("C:\\\x82"), "C:\\\x82");                         // a cut-off lead byte stays itself
    EXPECT_EQ(SharedNameKey(""), "");
}
