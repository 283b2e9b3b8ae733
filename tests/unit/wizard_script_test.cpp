#include <gtest/gtest.h>

#include "engine/paths.h"
#include "wizard/script_reading.h"
#include "wizard_sources_fake.h"

namespace {

const std::string kScript = "C:\\TEMP\\KSTMP1\\SETUP.INI";
const std::string kWin = "C:\\WINDOWS\\";

class ScriptReading : public ::testing::Test {
protected:
    void Set(const std::string& section, const std::string& key, const std::string& value) {
        sources.SetIni(kScript, section, key, value);
    }
    MemorySources sources;
};

}  // namespace

TEST_F(ScriptReading, OnlyTitleGivesDefaults) {
    Set("Title", "Setup", "製品");
    const ScriptValues v = ReadScriptValues(sources, kScript, false);
    EXPECT_EQ(v.SetupTitle, "製品");
    EXPECT_EQ(v.UnSetupTitle, "製品");
    EXPECT_EQ(v.SetupString, "インストール");
    EXPECT_EQ(v.UnSetupString, "アンインストール");
    EXPECT_EQ(v.SetupSpeed, 350);
    EXPECT_TRUE(v.Enabled);
    EXPECT_EQ(v.Message, "インストールを行います。\r\n");
    EXPECT_EQ(ProposeInstallFolder(sources, kScript, kWin), "(Prg)\\");
    const ShortcutOffers offers = ReadShortcutOffers(sources, kScript);
    EXPECT_FALSE(offers.desktop || offers.startMenu || offers.startUp || offers.sendTo);
}

TEST_F(ScriptReading, MessagesAndWords) {
    Set("TopMessage", "Message2", "二行目");
    Set("Extend", "UnSetupString", "削除");
    EXPECT_EQ(ReadScriptValues(sources, kScript, false).Message, "\r\n二行目\r\n\r\n\r\n\r\n");
    EXPECT_EQ(ReadScriptValues(sources, kScript, true).Message,
              "削除を行います。\r\n\r\n開始するには、「削除開始(S)」を選択してください。\r\n");
}

TEST_F(ScriptReading, OnlyExactFalseLocksChoices) {
    Set("Extend", "Enabled", "false");
    EXPECT_TRUE(ReadScriptValues(sources, kScript, false).Enabled);
    Set("Extend", "Enabled", "False");
    EXPECT_FALSE(ReadScriptValues(sources, kScript, false).Enabled);
}

TEST(SetupSpeed, NumbersClampedAndJunkGivesDefault) {
    EXPECT_EQ(SetupSpeedFrom("120"), 120);
    EXPECT_EQ(SetupSpeedFrom("0"), 1);
    EXPECT_EQ(SetupSpeedFrom("-40"), 1);
    EXPECT_EQ(SetupSpeedFrom("fast"), 350);
    EXPECT_EQ(SetupSpeedFrom("12ms"), 350);
    EXPECT_EQ(SetupSpeedFrom(""), 350);
    EXPECT_EQ(SetupSpeedFrom("99999999999999999999"), 350);
}

TEST(Banner, BuiltInWhenBothLinesEmpty) {
    EXPECT_EQ(BannerText("A", ""), "A\r\n");
    EXPECT_EQ(BannerText("", "B"), "\r\nB");
    EXPECT_EQ(BannerText("", "").substr(0, 13), "Kelvo Setup\r\n");
}

TEST(RegistryReference, RootTagOrCurrentUser) {
    const RegistryReference tagged = ParseRegistryReference("(Local)\\Software\\Maker\\App\\,InstallDir");
    EXPECT_EQ(tagged.rootTag, "(Local)");
    EXPECT_EQ(tagged.keyPath, "Software\\Maker\\App");
    EXPECT_EQ(tagged.valueName, "InstallDir");
    const RegistryReference bare = ParseRegistryReference("Software\\Maker,Dir");
    EXPECT_EQ(bare.rootTag, "(Cuser)");
    EXPECT_EQ(bare.keyPath, "Software\\Maker");
    EXPECT_EQ(ParseRegistryReference("xxxxxx)Key,V").rootTag, "xxxxxx)");  // a closing bracket at 7 is a tag too
    EXPECT_EQ(ParseRegistryReference("(Lo,V").keyPath, "");                // too short: no key path, no crash
}

TEST_F(ScriptReading, FolderProposalLaterSourcesWin) {
    Set("DefaultFolder", "Folder", "(Prg)\\Maker");
    Set("ProgramID", "ID", "MAKERAPP");
    sources.SetIni("C:\\WINDOWS\\KELVO98.INI", "MAKERAPP", "Folder", "D:\\Old\\");
    EXPECT_EQ(ProposeInstallFolder(sources, kScript, kWin), "D:\\Old\\");

    Set("DefaultFolder", "ReferRegistry", "(Local)\\Software\\Maker,Dir");
    EXPECT_EQ(ProposeInstallFolder(sources, kScript, kWin), "D:\\Old\\");  // key missing: unchanged
    sources.SetRegistry("(Local)", "Software\\Maker", "Dir", "E:\\Reg\\");
    EXPECT_EQ(ProposeInstallFolder(sources, kScript, kWin), "E:\\Reg\\");

    FolderMacros().Set("(Win)", kWin);
    Set("DefaultFolder", "ReferIniFile", "Paths,Home,(Win)MAKER.INI");
    EXPECT_EQ(ProposeInstallFolder(sources, kScript, kWin), "E:\\Reg\\");  // INI value missing
    sources.SetIni("C:\\WINDOWS\\MAKER.INI", "Paths", "Home", "F:\\Ini\\");
    EXPECT_EQ(ProposeInstallFolder(sources, kScript, kWin), "F:\\Ini\\");
}

TEST_F(ScriptReading, UnknownProgramIdKeepsDefaultFolder) {
    Set("DefaultFolder", "Folder", "(Prg)\\Maker");
    Set("ProgramID", "ID", "NOBODY");
    EXPECT_EQ(ProposeInstallFolder(sources, kScript, kWin), "(Prg)\\Maker");
}

TEST_F(ScriptReading, FolderMacroJoinDropsOneBackslash) {
    FolderMacros().Set("(Prg)", "C:\\Program Files\\");
    EXPECT_EQ(AddPathDelimiter(ExpandFolderMacros("(Prg)\\Maker"), "B"), "C:\\Program Files\\Maker\\");
}

TEST_F(ScriptReading, ShortcutScanStopsAtFirstGap) {
    Set("ShortCut", "Name1", "(C_Dsk)\\a.lnk");
    Set("ShortCut", "Name3", "(Sta)\\c.lnk");
    ShortcutOffers offers = ReadShortcutOffers(sources, kScript);
    EXPECT_TRUE(offers.desktop);
    EXPECT_FALSE(offers.startMenu);
    Set("ShortCut", "Name2", "(sen)\\b.lnk");  // letter case does not matter
    offers = ReadShortcutOffers(sources, kScript);
    EXPECT_TRUE(offers.sendTo);
    EXPECT_TRUE(offers.startMenu);
    EXPECT_FALSE(offers.startUp);
}
