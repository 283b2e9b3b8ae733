#include "windows/run_view_win.h"

#include "engine/files_win.h"
#include "engine/messages_win.h"

namespace {

// A run's pages use one button: the other goes and this one moves to the middle.
void CenterRunButton(Form& main, bool roundHalfUp) {
    main.SetVisible("btnEnd", false);
    RECT client, button = main.Bounds("btnEvent");
    GetClientRect(main.Handle(), &client);
    const int width = button.right - button.left;
    button.left = (client.right - width + (roundHalfUp ? 1 : 0)) / 2;
    button.right = button.left + width;
    main.SetBounds("btnEvent", button);
}

// Hides every page panel of the main window except panel (nullptr hides them all).
void ShowOnlyPanel(Form& main, const char* panel) {
    for (const char* name : {"fraTitle", "fraReadme", "grpMessage", "grpSetupFolder", "grpOption", "fraSelectType"})
        main.SetVisible(name, panel && std::string(name) == panel);
    ProcessMessages();
}

}  // namespace

void WindowRunView::Begin(RunKind kind, const std::string& unSetupString) {
    status_.SetUnSetupString(unSetupString);
    main_.Hide();
    if (kind == RunKind::Install) {
        ProcessMessages();
        PauseWithMessages(500);
    }
    status_.Show();
    CenterRunButton(main_, kind == RunKind::Install);
}

void WindowRunView::ShowText(const std::string&, const std::string& text) { status_.ShowText(text); }

int WindowRunView::Ask(const std::string& text, const std::string& caption, unsigned flags, const FixedAnswer& fixed) {
    return ShowMessageBox(text, caption, flags, fixed);
}

bool WindowRunView::AskForDisk(int number, const std::string& source) {
    for (;;) {
        if (Ask(std::to_string(number) + "枚目のディスクに交換してください。", "ディスク交換",
                MB_OKCANCEL | MB_ICONINFORMATION,
                {IDCANCEL, "無人実行ではディスクを交換する人がいません", exit_code::kStopped}) != IDOK)
            return false;
        if (FileExists(source)) return true;
    }
}

void WindowRunView::ShowFailureReport(const std::string& caption, const std::string& report, bool scrollBar) {
    if (scrollBar) main_.SetFlags("txtReadme", kVScroll);
    main_.SetText("txtReadme", report);
    main_.SetText("fraReadme", caption);
    ShowPageUntilPressed("fraReadme", "続行(&C)");
    ShowOnlyPanel(main_, nullptr);
    status_.Show();
    main_.Hide();
    ProcessMessages();
    PauseWithMessages(500);
}

FinalAnswer WindowRunView::Finish(const FinalChoice& page, const RunSummary&) {
    const bool two = !page.choice2.empty();
    main_.SetText("optSelectType1", page.choice1);
    main_.SetText("optSelectType2", page.choice2);
    main_.SetEnabled("optSelectType2", two);
    main_.SetVisible("optSelectType2", two);
    main_.SetText("lblSelectTypeMsg", page.message);
    ShowPageUntilPressed("fraSelectType", page.button);
    main_.Hide();
    status_.Hide();
    ProcessMessages();
    return two && main_.IsChecked("optSelectType2") ? FinalAnswer::Second : FinalAnswer::First;
}

void WindowRunView::ShowPageUntilPressed(const char* panel, const std::string& button) {
    main_.SetText("btnEvent", button);
    main_.SetEnabled("btnEvent", true);
    ShowOnlyPanel(main_, panel);
    main_.Show();
    status_.Hide();
    ProcessMessages();
    // btnEvent's click handler disables it; polled until then, or until the window is gone.
    while (main_.IsEnabled("btnEvent") && IsWindow(main_.Handle())) PauseWithMessages(150);
}

void WindowRunView::End() {
    EnableWindow(back_.Handle(), TRUE);
    status_.Hide();
    main_.SetModalResult(1);
}

void WindowRunView::Abandon() {
    EnableWindow(back_.Handle(), TRUE);
    main_.SetModalResult(1);
}

void UnattendedRunView::ShowText(const std::string& log, const std::string& text) {
    Unattended().LogStatus(log);
    WindowRunView::ShowText(log, text);
}

int UnattendedRunView::Ask(const std::string& text, const std::string& caption, unsigned, const FixedAnswer& fixed) {
    return Unattended().Answer(text, caption, fixed);
}

SharedFileAnswer UnattendedRunView::AskSharedFile(const std::string& question) {
    // Keeping a shared file can do no harm; deleting one might break another program.
    Unattended().Answer(question, "共有ファイルの削除の確認", {IDNO, "無人実行では共有ファイルを残します"});
    return SharedFileAnswer::No;
}

bool UnattendedRunView::AskForDisk(int number, const std::string& source) {
    if (!FileExists(source)) return WindowRunView::AskForDisk(number, source);
    // Deployed from one folder that holds every disk: nobody needs to change one.
    Unattended().Log(std::to_string(number) + "枚目のディスクのファイルはすでにあります: " + source);
    return true;
}

FinalAnswer UnattendedRunView::Finish(const FinalChoice&, const RunSummary& summary) {
    UnattendedRun& run = Unattended();
    if (!summary.failureReport.empty()) run.Log("[失敗の詳細]\r\n" + summary.failureReport);
    bool started = false;
    if (summary.restartNeeded && run.Options().forceRestart) {
        run.Log("Windowsを再起動します（/forcerestart）。");
        started = reboot_.RestartWindows(2);
        if (!started) run.Log("Windowsの再起動を開始できませんでした。");
    } else if (summary.restartNeeded) {
        run.Log("完了するにはWindowsの再起動が必要です。再起動はしません。");
    }
    run.Finish(summary.failures, summary.restartNeeded, started);
    return FinalAnswer::NobodyAsked;
}

void ReportRestartFailure(RunView& view, unsigned long error) {
    if (error != 0) view.Ask("MoveFileEx関数が失敗しました。", "内部エラー", MB_ICONEXCLAMATION);
}
