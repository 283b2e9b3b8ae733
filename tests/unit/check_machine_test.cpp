// The sample machines a plan expands the folder macros for, and the entry values the
// install run and the checker share.
#include <gtest/gtest.h>

#include "check/sample_folders.h"
#include "engine/registry_names.h"
#include "install/settings_entries.h"

namespace {

// Gives each test the process's macros back as it found them.
class SampleMachineTest : public ::testing::Test {
protected:
    void TearDown() override { FolderMacros() = saved_; }
    SampleMachine Machine(const std::string& system) { return {FindSampleSystem(system), {}}; }

private:
    FolderMacroTable saved_ = FolderMacros();
};

}  // namespace

TEST_F(SampleMachineTest, OnThe95PlatformTheCommonFoldersAreTheUsers) {
    FolderMacroTable macros;
    SetSampleFolders(Machine("win98"), macros);
    EXPECT_EQ(macros.Get("(Sys)"), "C:\\WINDOWS\\SYSTEM\\");
    EXPECT_EQ(macros.Get("(C_Dsk)"), macros.Get("(Dsk)"));
    EXPECT_EQ(macros.Get("(C_Myd)"), "C:\\My Documents\\");
    SetSampleFolders(Machine("win2k"), macros);
    EXPECT_EQ(macros.Get("(Win)"), "C:\\WINNT\\");
    EXPECT_EQ(macros.Get("(C_Sta)"), "C:\\Documents and Settings\\All Users\\スタート メニュー\\プログラム\\");
    EXPECT_NE(macros.Get("(C_Dsk)"), macros.Get("(Dsk)"));
    EXPECT_EQ(FindSampleSystem("win31").name, "");
}

TEST_F(SampleMachineTest, RealFoldersReplaceSampleOnesAndTheWizardProposes) {
    SampleMachine machine = Machine("winxp");
    machine.folders = {{"(prg)", "E:\\Apps"}};  // letter case ignored, delimiter added
    const ScriptFile script("[DefaultFolder]\r\nFolder=(Prg)\\Tool\r\n");
    EXPECT_EQ(PrepareSampleMachine(script, machine), "E:\\Apps\\Tool\\");
    EXPECT_EQ(FolderMacros().Get("(App)"), "E:\\Apps\\Tool\\");
    EXPECT_EQ(FolderMacros().Get("(Set)"), "E:\\");
    EXPECT_EQ(PrepareSampleMachine(ScriptFile(""), Machine("winxp")), "C:\\Program Files\\");
}

TEST(RegistryNames, TagsCompareExactly) {
    EXPECT_TRUE(IsRootTag("(Local)"));
    EXPECT_FALSE(IsRootTag("(LOCAL)"));
    EXPECT_STREQ(RegistryRootName("(Class)"), "HKEY_CLASSES_ROOT");
    EXPECT_STREQ(RegistryRootName("(LOCAL)"), "HKEY_CURRENT_USER");  // any other text: the current user
}

TEST(UninstallEntry, NamesAndValuesInTheOrderWritten) {
    EXPECT_EQ(NameUninstallEntry("", "", "Title").key, "Title");
    EXPECT_EQ(NameUninstallEntry("Key", "", "Title").display, "Key");
    EXPECT_EQ(NameUninstallEntry("Key", "Shown", "Title").display, "Shown");
    const auto values = UninstallEntryValues("Shown", "C:\\W\\UNKELVO.EXE", "C:\\A B\\UNSETUP.INI",
                                             [](const char* key) { return std::string(key) == "HelpLink" ? "h" : ""; });
    ASSERT_EQ(values.size(), 4u);  // empty support values are not written
    EXPECT_EQ(values[1].first, "UninstallString");
    EXPECT_EQ(values[1].second.kind, RegistryKind::ExpandString);
    EXPECT_EQ(values[1].second.text, "C:\\W\\UNKELVO.EXE \"C:\\A B\\UNSETUP.INI\"");
    EXPECT_EQ(values[3].first, "HelpLink");
    EXPECT_EQ(values[3].second.kind, RegistryKind::ExpandString);
}

TEST(UninstallEntry, AssociationKeysUnderTheClassesRoot) {
    const auto keys = AssociationKeys(ParseAssociation("smp,文書", "open,C:\\A B\\app.exe,\"%1\",,0"));
    ASSERT_EQ(keys.size(), 4u);
    EXPECT_EQ(keys[0], (std::pair<std::string, std::string>{".smp", "smp_auto_file"}));
    EXPECT_EQ(keys[2].second, "C:\\A B\\app.exe,0");
    EXPECT_EQ(keys[3], (std::pair<std::string, std::string>{"smp_auto_file\\shell\\open\\command",
                                                            "\"C:\\A B\\app.exe\" \"%1\" "}));
}
