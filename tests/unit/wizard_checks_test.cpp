#include "wizard/install_checks.h"

#include <gtest/gtest.h>

#include "wizard_sources_fake.h"

namespace {

const std::string kScript = "C:\\T\\SETUP.INI";

class InstallChecks : public ::testing::Test {
protected:
    CheckFinding Run(const std::string& os = "Windows XP") {
        return RunInstallChecks(sources, {kScript, os, "C:\\WINDOWS\\", "C:\\App\\", "導入", "削除"});
    }
    void Set(const std::string& section, const std::string& key, const std::string& value) {
        sources.SetIni(kScript, section, key, value);
    }
    MemorySources sources;
};

}  // namespace

TEST_F(InstallChecks, NothingFoundByDefault) {
    EXPECT_EQ(Run().severity, CheckSeverity::None);
    sources.AddFile("C:\\App\\NoData");  // the default names a file "NoData"
    EXPECT_EQ(Run().severity, CheckSeverity::Stop);
}

TEST_F(InstallChecks, RejectOsByContainmentIgnoringCase) {
    Set("Extend", "RejectOS", "Windows 98<SE>");
    EXPECT_EQ(Run("Windows 98").severity, CheckSeverity::Stop);
    EXPECT_EQ(Run("Windows").severity, CheckSeverity::Stop);
    EXPECT_EQ(Run("Windows XP").severity, CheckSeverity::None);
    Set("Extend", "RejectOS", "windows xp");
    const CheckFinding f = Run("Windows XP");
    EXPECT_EQ(f.caption, "警告");
    EXPECT_EQ(f.text,
              "このオペレーティングシステムへの導入は、プログラム配布者により認められていません。\r\n"
              "詳細については、プログラム配布者へご確認ください。\r\n導入を続行することはできません。");
}

TEST_F(InstallChecks, RefusedSystemSkipsTheOtherChecks) {
    Set("Extend", "RejectOS", "Windows XP");
    Set("Caution", "UnInstallCheckEx", "old.exe");
    sources.AddFile("C:\\App\\old.exe");
    EXPECT_EQ(Run().caption, "警告");
}

TEST_F(InstallChecks, StopByFileBeforeWarning) {
    Set("Caution", "UnInstallCheckEx", "\\old.exe");
    Set("Caution", "UnInstallCheck", "warn.exe");
    sources.AddFile("C:\\App\\warn.exe");
    CheckFinding f = Run();
    EXPECT_EQ(f.severity, CheckSeverity::Warning);
    EXPECT_EQ(
        f.text,
        "インストーラはチェック対象プログラムを検出しました。\r\nパッケージ配布者は、前バージョンのプログラムの削除を推奨しています。\r\n"
        "導入はこのまま続行できますが、予期せぬ結果を招く可能性があります。\r\n"
        "できる限り中断して、前バージョンの削除を行うことをお勧めします。");
    sources.AddFile("C:\\App\\old.exe");
    f = Run();
    EXPECT_EQ(f.severity, CheckSeverity::Stop);
    EXPECT_EQ(f.caption, "エラー");
    EXPECT_EQ(
        f.text,
        "インストーラはチェック対象プログラムを検出しました。\r\n導入を続行するためには、前バージョンの削除を行う必要があります。");
}

TEST_F(InstallChecks, IdentifierNamesTheInstalledTitle) {
    Set("Caution", "UnInstallCheckEx", "idcheck:MAKERAPP");
    EXPECT_EQ(Run().severity, CheckSeverity::None);  // no record
    sources.SetIni("C:\\WINDOWS\\KELVO98.INI", "MAKERAPP", "Folder", "C:\\Old\\");
    CheckFinding f = Run();
    EXPECT_EQ(f.text,
              "インストーラはチェック対象プログラム識別子を検出しました。\r\n【不明なタイトル】\r\n"
              "導入を続行するためには、上記プログラムの削除を行う必要があります。");
    sources.SetIni("C:\\Old\\UNSETUP.INI", "Title", "UnSetup", "旧製品");
    Set("Caution", "UnInstallCheckEx", "");
    Set("Caution", "UnInstallCheck", "IDCheck:MAKERAPP");
    f = Run();
    EXPECT_EQ(f.severity, CheckSeverity::Warning);
    EXPECT_EQ(f.text,
              "インストーラはチェック対象プログラム識別子を検出しました。\r\n【旧製品】\r\n"
              "パッケージ配布者は、上記プログラムの削除を推奨しています。\r\n"
              "導入はこのまま続行できますが、予期せぬ結果を招く可能性があります。\r\n"
              "できる限り中断して、前バージョンの削除を行うことをお勧めします。");
}
