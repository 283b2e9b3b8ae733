// A removal driven through a view of the test's own: the run shows and asks through the view
// alone (a window or a message box would hang this test), and the view's answers steer it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/environment.h"
#include "engine/shared_dll_win.h"
#include "engine/startup_win.h"
#include "test_support_win.h"
#include "uninstall/uninstall_run_win.h"

namespace {

class RecordingView : public RunView {
public:
    std::vector<std::string> events;
    std::string log;  // the progress text as last shown
    FinalChoice page;
    RunSummary summary;

    void Begin(RunKind kind, const std::string& unSetupString) override {
        events.push_back(std::string(kind == RunKind::Uninstall ? "begin uninstall " : "begin install ") +
                         unSetupString);
    }
    void ShowText(const std::string& whole, const std::string&) override { log = whole; }
    void ShowProgressBar(bool) override {}
    void ShowProgress(int, int, int) override {}
    void AllowAbort(bool) override {}
    bool Stopped() const override { return false; }
    int Ask(const std::string& text, const std::string& caption, unsigned, const FixedAnswer&) override {
        events.push_back("ask " + caption + " " + text.substr(0, text.find("\r\n")));
        return IDNO;
    }
    SharedFileAnswer AskSharedFile(const std::string& question) override {
        events.push_back("shared " + question.substr(0, question.find("\r\n")));
        return SharedFileAnswer::Yes;
    }
    bool AskForDisk(int, const std::string&) override { return false; }
    void ShowFailureReport(const std::string& caption, const std::string&, bool) override {
        events.push_back("report " + caption);
    }
    void WaitForNext() override { events.push_back("next"); }
    FinalAnswer Finish(const FinalChoice& shown, const RunSummary& result) override {
        page = shown;
        summary = result;
        events.push_back("finish");
        return FinalAnswer::First;
    }
    void End() override { events.push_back("end"); }
    void Abandon() override { events.push_back("abandon"); }
};

}  // namespace

TEST(UninstallRun, ShowsAndAsksThroughItsViewAndFollowsTheAnswers) {
    DetectEnvironment();
    ScratchFolder app;
    const std::string plain = app / "PROG.EXE", shared = app / "SHARED.DLL", caution = app / "KEEP.DLL";
    ASSERT_EQ(ChangeSharedCount(shared, true), 1u);  // before the file is there: this install's count alone
    for (const std::string& file : {plain, shared, caution}) WriteFile(file, "x");
    const std::string log = app / "UNSETUP.INI";
    WriteFile(log, "[DeleteFile]\r\nFile1=" + plain + "\r\nFile2=" + shared + ",/S\r\nFile3=" + caution +
                       ",/C\r\nFile4=" + log + "\r\n");
    const std::string scriptBefore = Environment().ScriptPath;
    Environment().ScriptPath = log;

    RecordingView view;
    TWinReboot reboot;
    RunUninstall({{app.path(), "", false}, view, reboot, "セットアップ", "アンインストール"});
    Environment().ScriptPath = scriptBefore;

    const std::vector<std::string> expected = {
        "begin uninstall アンインストール",
        "shared " + shared,                   // its count fell to 0: asked, and Yes deletes it
        "ask ファイル削除の確認 " + caution,  // marked for caution: asked, and No keeps it
        // The kept file keeps the folder: a failure, whose details No leaves unshown.
        "ask 情報 アンインストールの過程で、一部の処理が失敗しました。",
        "next",
        "finish",
        "end",
    };
    EXPECT_EQ(view.events, expected);
    EXPECT_FALSE(FileExists(plain));
    EXPECT_FALSE(FileExists(shared));
    EXPECT_TRUE(FileExists(caution));
    EXPECT_FALSE(FileExists(log));
    EXPECT_EQ(ReadSharedCount(shared), 0u);
    EXPECT_EQ(view.page.message, "アンインストールを完了しました。");
    EXPECT_EQ(view.page.choice2, "");
    EXPECT_EQ(view.summary.failures, 1);
    EXPECT_NE(view.summary.failureReport.find(app.path()), std::string::npos) << view.summary.failureReport;
    EXPECT_FALSE(view.summary.restartNeeded);
    for (const char* line : {"ファイルのアンインストール処理．．．完了\r\n",
                             "セットアップフォルダのアンインストール処理．．．一部失敗\r\n"})
        EXPECT_NE(view.log.find(line), std::string::npos) << view.log;
}
