#include "wizard/wizard_texts.h"

#include <gtest/gtest.h>

TEST(FreeSpaceCaption, ThreeCases) {
    EXPECT_EQ(FreeSpaceCaption(false, false, -1), "インストールフォルダ(空き容量：不明)");
    EXPECT_EQ(FreeSpaceCaption(true, true, 1234567), "インストールフォルダ(空き容量：1,234,567Byte)");
    EXPECT_EQ(FreeSpaceCaption(true, false, -1), "インストールフォルダ(空き容量：関数失敗<致命的エラー>");
}

TEST(GroupThousands, Boundaries) {
    EXPECT_EQ(GroupThousands(0), "0");
    EXPECT_EQ(GroupThousands(999), "999");
    EXPECT_EQ(GroupThousands(1000), "1,000");
    EXPECT_EQ(GroupThousands(123456), "123,456");
    EXPECT_EQ(GroupThousands(-1234), "-1,234");
    EXPECT_EQ(GroupThousands(9223372036854775807LL), "9,223,372,036,854,775,807");
}

TEST(WelcomeText, NtAddsTheAdministratorNote) {
    const std::string plain = WelcomeText("App", "導入", false);
    EXPECT_EQ(plain.substr(0, plain.find("\r\n")),
              "　App 導入プログラムへようこそ。この導入プログラムは、あなたのコンピュータに App を導入します。");
    EXPECT_EQ(plain.find("【注意】"), std::string::npos);
    const std::string nt = WelcomeText("App", "導入", true);
    EXPECT_EQ(nt.substr(0, plain.size()), plain);
    EXPECT_EQ(nt.substr(plain.size()),
              "\r\n【注意】\r\n　Administrator権限での導入を推奨します。Administrator権限を持たないユーザーでの導入は、"
              "正常に処理が行われない場合があります。");
}

TEST(CheckerResult, OnlyExactWordProceeds) {
    EXPECT_TRUE(InterpretCheckerResult("ContinueInstall", "").proceed);
    EXPECT_FALSE(InterpretCheckerResult("continueinstall", "").proceed);
    EXPECT_FALSE(InterpretCheckerResult("", "").proceed);
    EXPECT_EQ(InterpretCheckerResult("ContinueInstall", "一行目<改行>二行目").message, "一行目\r\n二行目");
}

TEST(UninstallOptions, FlagsDeleteAllAndShortValues) {
    UninstallOptions o = ParseUninstallOptions("1,0,1,0");
    EXPECT_FALSE(o.deleteAll);
    EXPECT_TRUE(o.ticked[0]);
    EXPECT_FALSE(o.ticked[1]);
    EXPECT_TRUE(o.ticked[2]);
    EXPECT_FALSE(o.ticked[3]);
    o = ParseUninstallOptions("DeleteAll");
    EXPECT_TRUE(o.deleteAll);
    o = ParseUninstallOptions("deleteall");  // only the exact word
    EXPECT_FALSE(o.deleteAll);
    o = ParseUninstallOptions("1,1");  // shorter than seven characters: the rest unticked
    EXPECT_TRUE(o.ticked[1]);
    EXPECT_FALSE(o.ticked[2]);
    EXPECT_FALSE(o.ticked[3]);
    o = ParseUninstallOptions("");
    EXPECT_FALSE(o.ticked[0]);
}

TEST(UninstallCleanup, PatternsFromTheTickedBoxes) {
    const std::string patterns[4] = {"*.INI", "*.GID", "*.LOG", "*.BAK"};
    const bool all[4] = {true, true, true, true}, some[4] = {false, true, false, true}, none[4] = {};
    EXPECT_EQ(ChooseCleanup(all, patterns, true).patterns, "*.INI|*.GID|*.LOG|*.BAK|");
    EXPECT_FALSE(ChooseCleanup(all, patterns, true).deleteAll);
    EXPECT_EQ(ChooseCleanup(some, patterns, true).patterns, "*.GID|*.BAK|");
    EXPECT_EQ(ChooseCleanup(none, patterns, true).patterns, "");
    // The DeleteAll layout shows the first box alone: ticked, it empties the whole folder.
    const bool first[4] = {true, false, false, false};
    const CleanupChoice all_files = ChooseCleanup(first, patterns, false);
    EXPECT_TRUE(all_files.deleteAll);
    EXPECT_EQ(all_files.patterns, "");
    EXPECT_FALSE(ChooseCleanup(none, patterns, false).deleteAll);
}
