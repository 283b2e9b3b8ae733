#include "windows/run_pages_win.h"

#include "engine/messages_win.h"

void CenterRunButton(Form& main, bool roundHalfUp) {
    main.SetVisible("btnEnd", false);
    RECT client, button = main.Bounds("btnEvent");
    GetClientRect(main.Handle(), &client);
    const int width = button.right - button.left;
    button.left = (client.right - width + (roundHalfUp ? 1 : 0)) / 2;
    button.right = button.left + width;
    main.SetBounds("btnEvent", button);
}

void ShowOnlyPanel(Form& main, const char* panel) {
    for (const char* name : {"fraTitle", "fraReadme", "grpMessage", "grpSetupFolder", "grpOption", "fraSelectType"})
        main.SetVisible(name, panel && std::string(name) == panel);
    ProcessMessages();
}

void WaitUntilDisabled(Form& form, const std::string& control, unsigned interval) {
    while (form.IsEnabled(control) && IsWindow(form.Handle())) PauseWithMessages(interval);
}

bool AskFinalChoice(Form& main, Form& status, const FinalChoice& page) {
    const bool two = !page.choice2.empty();
    main.SetText("optSelectType1", page.choice1);
    main.SetText("optSelectType2", page.choice2);
    main.SetEnabled("optSelectType2", two);
    main.SetVisible("optSelectType2", two);
    main.SetText("lblSelectTypeMsg", page.message);
    main.SetText("btnEvent", page.button);
    main.SetEnabled("btnEvent", true);
    ShowOnlyPanel(main, "fraSelectType");
    main.Show();
    status.Hide();
    ProcessMessages();
    WaitUntilDisabled(main, "btnEvent", 150);
    main.Hide();
    status.Hide();
    ProcessMessages();
    return two && main.IsChecked("optSelectType2");
}

void FinishUnattended(TWinReboot& reboot, const std::string& failureReport, int failures, bool restartNeeded) {
    UnattendedRun& run = Unattended();
    if (!failureReport.empty()) run.Log("[失敗の詳細]\r\n" + failureReport);
    bool started = false;
    if (restartNeeded && run.Options().forceRestart) {
        run.Log("Windowsを再起動します（/forcerestart）。");
        started = reboot.RestartWindows(2);
        if (!started) run.Log("Windowsの再起動を開始できませんでした。");
    } else if (restartNeeded) {
        run.Log("完了するにはWindowsの再起動が必要です。再起動はしません。");
    }
    run.Finish(failures, restartNeeded, started);
}

void ShowFailureReport(Form& main, Form& status, const std::string& caption, const std::string& report,
                       bool scrollBar) {
    if (scrollBar) main.SetFlags("txtReadme", kVScroll);
    main.SetText("txtReadme", report);
    main.SetText("btnEvent", "続行(&C)");
    main.SetEnabled("btnEvent", true);
    main.SetText("fraReadme", caption);
    ShowOnlyPanel(main, "fraReadme");
    main.Show();
    status.Hide();
    ProcessMessages();
    WaitUntilDisabled(main, "btnEvent", 150);
    ShowOnlyPanel(main, nullptr);
    status.Show();
    main.Hide();
    ProcessMessages();
    PauseWithMessages(500);
}

void ReportRestartFailure(unsigned long error) {
    if (error != 0) ShowMessageBox("MoveFileEx関数が失敗しました。", "内部エラー", MB_ICONEXCLAMATION);
}
