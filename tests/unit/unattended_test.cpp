// Switches of unattended runs, the exit code an outcome gives and the run log's lines.
#include <gtest/gtest.h>

#include "engine/unattended.h"

TEST(ParseSwitches, TakesSwitchesOutAndKeepsTheArgumentsInOrder) {
    const Switches s = ParseSwitches({"C:\\P\\UNSETUP.INI", "/QUIET", "/Log", "C:\\a b.log", "/dir", "(Prg)X", "rest"});
    EXPECT_EQ(s.ui, RunUi::Quiet);
    EXPECT_EQ(s.log, "C:\\a b.log");
    EXPECT_EQ(s.dir, "(Prg)X");
    EXPECT_EQ(s.arguments, (std::vector<std::string>{"C:\\P\\UNSETUP.INI", "rest"}));
    EXPECT_TRUE(s.any);
    EXPECT_TRUE(s.bad.empty());
}

TEST(ParseSwitches, NoSwitchesChangeNothing) {
    const Switches s = ParseSwitches({"unsetup.ini"});
    EXPECT_FALSE(s.any);
    EXPECT_FALSE(s.Unattended());
    EXPECT_EQ(s.arguments, std::vector<std::string>{"unsetup.ini"});
}

TEST(ParseSwitches, QuietWinsOverPassiveAndTheLastRestartChoiceCounts) {
    EXPECT_EQ(ParseSwitches({"/quiet", "/passive"}).ui, RunUi::Quiet);
    EXPECT_EQ(ParseSwitches({"/passive", "/quiet"}).ui, RunUi::Quiet);
    EXPECT_EQ(ParseSwitches({"/passive"}).ui, RunUi::Passive);
    EXPECT_TRUE(ParseSwitches({"/norestart", "/ForceRestart"}).forceRestart);
    EXPECT_FALSE(ParseSwitches({"/forcerestart", "/norestart"}).forceRestart);
    EXPECT_TRUE(ParseSwitches({"/?"}).help);
}

TEST(ParseSwitches, UnknownSwitchesAndMissingValuesAreBad) {
    EXPECT_EQ(ParseSwitches({"/quiet", "/bogus", "/worse"}).bad, "/bogus");
    EXPECT_EQ(ParseSwitches({"/log"}).bad, "/log");
    EXPECT_EQ(ParseSwitches({"/dir", ""}).bad, "/dir");
    EXPECT_EQ(ParseSwitches({"/"}).bad, "/");
    // A switch's value is taken as it is, even when it looks like a switch itself.
    EXPECT_EQ(ParseSwitches({"/log", "/quiet"}).log, "/quiet");
}

TEST(ExitCodeFor, StopsWinThenFailuresThenRestarts) {
    EXPECT_EQ(ExitCodeFor({0, true, 0, false, false}), 0);
    EXPECT_EQ(ExitCodeFor({0, false, 0, false, false}), exit_code::kStopped);
    EXPECT_EQ(ExitCodeFor({exit_code::kRefused, false, 0, false, false}), exit_code::kRefused);
    EXPECT_EQ(ExitCodeFor({exit_code::kStopped, true, 3, true, false}), exit_code::kStopped);
    EXPECT_EQ(ExitCodeFor({0, true, 2, true, true}), exit_code::kItemsFailed);
    EXPECT_EQ(ExitCodeFor({0, true, 0, true, true}), exit_code::kRestartStarted);
    EXPECT_EQ(ExitCodeFor({0, true, 0, true, false}), exit_code::kRestartNeeded);
    EXPECT_EQ(ExitCodeText(3010), "3010（完了・再起動が必要）");
}

TEST(LogEntry, StampsTheFirstLineIndentsTheRestAndSkipsEmptyOnes) {
    EXPECT_EQ(LogEntry("T", "a\r\n\r\nb\nc\r\n"), "T a\r\nT   b\r\nT   c\r\n");
    EXPECT_EQ(LogEntry("T", ""), "");
    // A trail byte of 0x5C or 0x7C is no line end.
    EXPECT_EQ(LogEntry("T", "表示"), "T 表示\r\n");
}
