// The uninstall log as an install run writes it (UNSETUP.INI): association slots, the
// merge rule of the numbered sections, and the whole text.
#include <gtest/gtest.h>

#include <vector>

#include "install/uninstall_log.h"

// ---- [RestoreRelate] slots ----

TEST(RestoreRelateSlots, LoadPreviousSkipsValuesAlreadyContained) {
    RestoreRelateSlots slots;
    slots.LoadPrevious("txt,txtfile");
    slots.LoadPrevious("TXT,TXTFILE");  // contained, ignoring case
    slots.LoadPrevious("");
    slots.LoadPrevious("doc,");
    slots.LoadPrevious("txt");  // contained in slot 1
    slots.LoadPrevious("kvd,Kelvo.Data");
    EXPECT_EQ(slots.Slots()[0], "txt,txtfile");
    EXPECT_EQ(slots.Slots()[1], "doc,");
    EXPECT_EQ(slots.Slots()[2], "kvd,Kelvo.Data");
    EXPECT_EQ(slots.Slots()[3], "");
    // A value that contains a slot's text (and not the reverse) is new.
    slots.LoadPrevious("doc,wordfile");
    EXPECT_EQ(slots.Slots()[3], "doc,wordfile");
}

TEST(RestoreRelateSlots, SaveSkipsAnExtensionHeldInAFirstField) {
    RestoreRelateSlots slots;
    slots.LoadPrevious("html,htmlfile");
    EXPECT_TRUE(slots.Holds("htm"));  // "html" contains "htm"
    EXPECT_TRUE(slots.Holds("HTM"));
    EXPECT_TRUE(slots.Holds("ml"));
    EXPECT_FALSE(slots.Holds("htmlfile"));  // only the first field counts
    EXPECT_FALSE(slots.Holds("shtml"));

    EXPECT_TRUE(slots.Save("htm", "other"));
    EXPECT_EQ(slots.Slots()[1], "");  // held: nothing saved, the first install's value stays
    EXPECT_EQ(slots.Slots()[0], "html,htmlfile");

    EXPECT_TRUE(slots.Save("kvd", ""));
    EXPECT_EQ(slots.Slots()[1], "kvd,");
    EXPECT_TRUE(slots.Save("htmlfile", "x"));
    EXPECT_EQ(slots.Slots()[2], "htmlfile,x");
    EXPECT_TRUE(slots.Save("KVD", "changed"));
    EXPECT_EQ(slots.Slots()[1], "kvd,");
    EXPECT_EQ(slots.Slots()[3], "");
}

TEST(RestoreRelateSlots, FullAfterTwenty) {
    RestoreRelateSlots slots;
    for (char c = 'a'; c < 'a' + 20; ++c) EXPECT_TRUE(slots.Save(std::string("ext") + c, "prev"));
    EXPECT_EQ(slots.Slots()[0], "exta,prev");
    EXPECT_EQ(slots.Slots()[19], "extt,prev");
    EXPECT_FALSE(slots.Save("zzz", "prev"));
    EXPECT_TRUE(slots.Save("EXTC", "again"));  // held, so no slot is needed
    slots.LoadPrevious("yyy,old");             // nowhere to go: dropped
    for (const std::string& slot : slots.Slots()) {
        EXPECT_EQ(slot.find("zzz"), std::string::npos);
        EXPECT_EQ(slot.find("yyy"), std::string::npos);
    }
    EXPECT_EQ(slots.Slots()[2], "extc,prev");
}

// ---- Numbered sections ----

TEST(LogSection, EmptySectionIsTheHeaderOnly) {
    EXPECT_EQ(LogSection("[DeleteFolder]", "Folder", false).Text(), "[DeleteFolder]\r\n");
}

TEST(LogSection, DuplicatesByFirstFieldIgnoringCase) {
    LogSection s("[DeleteFile]", "File", true);
    s.Add("C:\\K\\a.dll,/W");
    s.Add("c:\\k\\A.DLL");
    s.Add("C:\\K\\A.DLL,/R");
    s.Add("C:\\K\\a.dll2");  // a different path
    s.Add("C:\\表\\b.txt");
    s.Add("c:\\表\\B.TXT");
    EXPECT_EQ(s.Text(),
              "[DeleteFile]\r\n"
              "File1=C:\\K\\a.dll,/W\r\n"
              "File2=C:\\K\\a.dll2\r\n"
              "File3=C:\\表\\b.txt\r\n");
}

TEST(LogSection, SharedMarkCarriedOntoTheKeptLine) {
    LogSection s("[DeleteFile]", "File", true);
    s.Add("C:\\K\\plain.dll");      // no comma: gets ",/S"
    s.Add("C:\\K\\opts.dll,/W");    // a comma: gets "/S"
    s.Add("C:\\K\\shared.dll,/S");  // already marked: gets a second one
    s.Add("C:\\K\\keep.dll,/W");
    s.Add("c:\\k\\PLAIN.DLL,/S");
    s.Add("C:\\K\\opts.dll,/s");
    s.Add("C:\\K\\shared.dll,/S/R");
    s.Add("C:\\K\\keep.dll,/R");  // no /S: just dropped
    EXPECT_EQ(s.Text(),
              "[DeleteFile]\r\n"
              "File1=C:\\K\\plain.dll,/S\r\n"
              "File2=C:\\K\\opts.dll,/W/S\r\n"
              "File3=C:\\K\\shared.dll,/S/S\r\n"
              "File4=C:\\K\\keep.dll,/W\r\n");
}

TEST(LogSection, OtherSectionsCarryNoMark) {
    LogSection s("[DeleteShortCut]", "File", false);
    s.Add("C:\\Desk\\Kelvo.lnk");
    s.Add("C:\\DESK\\kelvo.lnk,/S");
    EXPECT_EQ(s.Text(), "[DeleteShortCut]\r\nFile1=C:\\Desk\\Kelvo.lnk\r\n");
}

TEST(LogSection, EmptyEntriesAreSkipped) {
    LogSection s("[DeleteFolder]", "Folder", false);
    s.Add("");
    s.Add("C:\\K\\A\\");
    s.Add("");
    s.Add("C:\\K\\B\\");
    EXPECT_EQ(s.Text(), "[DeleteFolder]\r\nFolder1=C:\\K\\A\\\r\nFolder2=C:\\K\\B\\\r\n");
}

// ---- The whole log ----

namespace {

const std::string kInformation =
    "[Information]\r\n"
    "Message1=Kelvo Setup UnSetup(UnInstall) Initialize File\r\n"
    "Message2=！！！　警告　！！！\r\n"
    "Message3=このファイルをエディタなどで書き換えたり、削除しないでください。\r\n"
    "Message4=書き換えた場合、アンインストール動作の保証はできません。\r\n";

UninstallLogContent Minimal() {
    UninstallLogContent c;
    c.unSetupTitle = "Kelvo Tools";
    c.setupFolder = "C:\\Program Files\\Kelvo\\";
    c.setupString = "インストール";
    c.unSetupString = "アンインストール";
    c.registryKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Kelvo Tools";
    return c;
}

}  // namespace

TEST(UninstallLogText, MinimalLogHasEverySectionAndAnEmptyProgramId) {
    const std::string expected = kInformation +
                                 "\r\n"
                                 "[Title]\r\nUnSetup=Kelvo Tools\r\n"
                                 "\r\n"
                                 "[SetupFolder]\r\nFolder=C:\\Program Files\\Kelvo\\\r\n"
                                 "\r\n"
                                 "[DeleteFolder]\r\n"
                                 "\r\n"
                                 "[DeleteFile]\r\n"
                                 "\r\n"
                                 "[DeleteShortCut]\r\n"
                                 "\r\n"
                                 "[DeleteRegistry]\r\n"
                                 "\r\n"
                                 "[AddDeleteFile]\r\n"
                                 "\r\n"
                                 "[RestoreRelate]\r\n"
                                 "\r\n"
                                 "[UnSetupOption]\r\n"
                                 "\r\n"
                                 "[BeforeUnInstall]\r\n"
                                 "\r\n"
                                 "[Extend]\r\nSetupString=インストール\r\nUnSetupString=アンインストール\r\n"
                                 "\r\n"
                                 "[UnSetupRegistryKey]\r\n"
                                 "Key=SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Kelvo Tools\r\n"
                                 "\r\n"
                                 "[ProgramID]\r\nID=\r\n";
    EXPECT_EQ(BuildUninstallLog(Minimal()), expected);
}

TEST(UninstallLogText, FullLogByteForByte) {
    UninstallLogContent c = Minimal();
    c.unSetupString = "削除";
    c.lists.folders.current = {"C:\\Program Files\\Kelvo\\Data\\", "C:\\Program Files\\Kelvo\\Data\\Sub\\"};
    c.lists.folders.carried = {"c:\\program files\\kelvo\\data\\", "C:\\Program Files\\Kelvo\\Old\\"};
    c.lists.files.current = {"C:\\Program Files\\Kelvo\\kv.exe", "C:\\WINDOWS\\SYSTEM\\kvlib.dll,/S/R",
                             "C:\\Program Files\\Kelvo\\readme.txt,/W", "C:\\Program Files\\Kelvo\\UNSETUP.INI"};
    c.lists.files.carried = {"C:\\Program Files\\Kelvo\\KV.EXE,/S", "C:\\WINDOWS\\SYSTEM\\kvlib.dll,/S",
                             "C:\\Program Files\\Kelvo\\old.dat", "C:\\Program Files\\Kelvo\\UNSETUP.INI"};
    c.lists.shortcuts.current = {"C:\\Desk\\Kelvo.lnk"};
    c.lists.shortcuts.carried = {"C:\\Desk\\Kelvo.lnk", "C:\\Start\\Kelvo\\Old.pif"};
    c.lists.registryKeys.current = {"(Local)Software\\Kelvo"};
    c.lists.registryKeys.carried = {"(Cuser)Software\\Kelvo"};
    c.lists.extraFiles.current = {"C:\\Program Files\\Kelvo\\*.log"};
    c.relations.LoadPrevious("txt,txtfile");
    c.relations.Save("kvd", "");
    c.relations.Save("TXT", "kvd_auto_file");  // held since the first install
    c.checkBox = "1,0,1,0";
    c.checkBox4 = "*.BAK";
    c.beforeFile = "cleanup.exe,/q";
    c.programId = "KELVO-TOOLS-1";

    const std::string expected =
        "[Information]\r\n"
        "Message1=Kelvo Setup UnSetup(UnInstall) Initialize File\r\n"
        "Message2=！！！　警告　！！！\r\n"
        "Message3=このファイルをエディタなどで書き換えたり、削除しないでください。\r\n"
        "Message4=書き換えた場合、削除動作の保証はできません。\r\n"
        "\r\n"
        "[Title]\r\n"
        "UnSetup=Kelvo Tools\r\n"
        "\r\n"
        "[SetupFolder]\r\n"
        "Folder=C:\\Program Files\\Kelvo\\\r\n"
        "\r\n"
        "[DeleteFolder]\r\n"
        "Folder1=C:\\Program Files\\Kelvo\\Data\\\r\n"
        "Folder2=C:\\Program Files\\Kelvo\\Data\\Sub\\\r\n"
        "Folder3=C:\\Program Files\\Kelvo\\Old\\\r\n"
        "\r\n"
        "[DeleteFile]\r\n"
        "File1=C:\\Program Files\\Kelvo\\kv.exe,/S\r\n"
        "File2=C:\\WINDOWS\\SYSTEM\\kvlib.dll,/S/R/S\r\n"
        "File3=C:\\Program Files\\Kelvo\\readme.txt,/W\r\n"
        "File4=C:\\Program Files\\Kelvo\\UNSETUP.INI\r\n"
        "File5=C:\\Program Files\\Kelvo\\old.dat\r\n"
        "\r\n"
        "[DeleteShortCut]\r\n"
        "File1=C:\\Desk\\Kelvo.lnk\r\n"
        "File2=C:\\Start\\Kelvo\\Old.pif\r\n"
        "\r\n"
        "[DeleteRegistry]\r\n"
        "Key1=(Local)Software\\Kelvo\r\n"
        "Key2=(Cuser)Software\\Kelvo\r\n"
        "\r\n"
        "[AddDeleteFile]\r\n"
        "File1=C:\\Program Files\\Kelvo\\*.log\r\n"
        "\r\n"
        "[RestoreRelate]\r\n"
        "Key1=txt,txtfile\r\n"
        "Key2=kvd,\r\n"
        "\r\n"
        "[UnSetupOption]\r\n"
        "CheckBox=1,0,1,0\r\n"
        "CheckBox4=*.BAK\r\n"
        "\r\n"
        "[BeforeUnInstall]\r\n"
        "File=cleanup.exe,/q\r\n"
        "\r\n"
        "[Extend]\r\n"
        "SetupString=インストール\r\n"
        "UnSetupString=削除\r\n"
        "\r\n"
        "[UnSetupRegistryKey]\r\n"
        "Key=SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Kelvo Tools\r\n"
        "\r\n"
        "[ProgramID]\r\n"
        "ID=KELVO-TOOLS-1\r\n";
    EXPECT_EQ(BuildUninstallLog(c), expected);
}

TEST(UninstallLogText, OptionalKeysOnlyWhenSet) {
    UninstallLogContent c = Minimal();
    c.checkBox3 = "*.TMP";
    c.readmeFile = "before.txt";
    const std::string text = BuildUninstallLog(c);
    EXPECT_NE(text.find("[UnSetupOption]\r\nCheckBox3=*.TMP\r\n\r\n[BeforeUnInstall]\r\nReadmeFile=before.txt\r\n\r\n"
                        "[Extend]\r\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(text.find("CheckBox="), std::string::npos);
    EXPECT_EQ(text.find("CheckBox4="), std::string::npos);
    EXPECT_EQ(text.find("\r\nFile="), std::string::npos);

    c.checkBox = "DeleteAll";
    c.checkBox4 = "*.LOG";
    c.beforeFile = "stop.exe";
    EXPECT_NE(
        BuildUninstallLog(c).find("[UnSetupOption]\r\nCheckBox=DeleteAll\r\nCheckBox3=*.TMP\r\nCheckBox4=*.LOG\r\n\r\n"
                                  "[BeforeUnInstall]\r\nReadmeFile=before.txt\r\nFile=stop.exe\r\n\r\n"),
        std::string::npos);
}

TEST(UninstallLogText, RestoreRelateKeysFollowSlots) {
    UninstallLogContent c = Minimal();
    for (int i = 0; i < 20; ++i) c.relations.Save("e" + std::string(1, static_cast<char>('a' + i)), "p");
    const std::string text = BuildUninstallLog(c);
    EXPECT_NE(text.find("[RestoreRelate]\r\nKey1=ea,p\r\nKey2=eb,p\r\n"), std::string::npos);
    EXPECT_NE(text.find("Key19=es,p\r\nKey20=et,p\r\n\r\n[UnSetupOption]"), std::string::npos);
    EXPECT_EQ(text.find("Key21="), std::string::npos);
}

TEST(UninstallLogText, NoEmptyLineAfterTheLastSection) {
    UninstallLogContent c = Minimal();
    c.programId = "X";
    const std::string text = BuildUninstallLog(c);
    const std::string tail = "\r\n\r\n[ProgramID]\r\nID=X\r\n";
    ASSERT_GE(text.size(), tail.size());
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
}

TEST(UninstallLogText, ProgressDots) {
    std::vector<int> dots;
    BuildUninstallLog(Minimal(), [&](int n) { dots.push_back(n); });
    ASSERT_FALSE(dots.empty());
    for (int n : dots) {
        EXPECT_GE(n, 4);
        EXPECT_LE(n, 8);
    }
}

TEST(UninstallLogText, PathAndSetupOnly) {
    EXPECT_EQ(UninstallLogPath("C:\\Kelvo"), "C:\\Kelvo\\UNSETUP.INI");
    EXPECT_EQ(UninstallLogPath("C:\\Kelvo\\"), "C:\\Kelvo\\UNSETUP.INI");
    EXPECT_TRUE(IsSetupOnly("Kelvo Setup Only."));
    EXPECT_TRUE(IsSetupOnly("kelvo setup only. 1.0"));
    EXPECT_TRUE(IsSetupOnly("SETUP ONLY."));
    EXPECT_FALSE(IsSetupOnly("Kelvo Setup Only"));
    EXPECT_FALSE(IsSetupOnly("Kelvo"));
    EXPECT_FALSE(IsSetupOnly(""));
}
