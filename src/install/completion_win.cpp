// The end of the installation: failure details, completion text, the final page.
#include <windows.h>

#include "engine/messages_win.h"
#include "engine/paths.h"
#include "install/final_page.h"
#include "install/install_run_win.h"
#include "install/programs_win.h"

void InstallRun::ShowOnlyPanel(const char* panel) {
    Form& main = context_.main;
    for (const char* name : {"fraTitle", "fraReadme", "grpMessage", "grpSetupFolder", "grpOption", "fraSelectType"})
        main.SetVisible(name, panel && std::string(name) == panel);
    ProcessMessages();
}

void InstallRun::WaitForEventButton() {
    Form& main = context_.main;
    while (main.IsEnabled("btnEvent") && IsWindow(main.Handle())) PauseWithMessages(150);
}

void InstallRun::ShowFailureDetails() {
    EndStep();
    if (status_.FailureCount <= 0) return;
    if (ShowMessageBox("フォルダの作成・ファイルのコピーで、一部の処理が失敗しました。\r\n詳細を表示しますか？", "警告",
                       MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
        return;
    Form& main = context_.main;
    main.SetText("txtReadme", status_.FailureReport);
    main.SetText("btnEvent", "続行(&C)");
    main.SetEnabled("btnEvent", true);
    main.SetText("fraReadme", "作成・コピー処理失敗　詳細表示");
    ShowOnlyPanel("fraReadme");
    main.Show();
    context_.status.Hide();
    ProcessMessages();
    WaitForEventButton();
    ShowOnlyPanel(nullptr);
    context_.status.Show();
    main.Hide();
    ProcessMessages();
    PauseWithMessages(500);
}

void InstallRun::Complete() {
    status_.StatusLog += CompletionText(context_.setupString, context_.unSetupString, IsSetupOnly(context_.unSetupTitle));
    ShowLog();
    MessageBeep(MB_OK);
    context_.status.WaitForNext();
}

void InstallRun::ShowFinalPage() {
    Form& main = context_.main;
    std::string file = ScriptValue("ExecuteFile", "File");
    state_.reboot = file == kRebootMark || state_.lockedFile;
    if (file == kRebootMark) file.clear();
    const ExecuteEntry entry = ParseExecuteEntry(ExpandFolderMacros(file));
    const FinalPage page = BuildFinalPage(context_.setupString, state_.reboot, entry);

    main.SetText("optSelectType1", page.choice1);
    main.SetText("optSelectType2", page.choice2);
    main.SetEnabled("optSelectType2", state_.reboot);
    main.SetVisible("optSelectType2", state_.reboot);
    main.SetText("lblSelectTypeMsg", page.message);
    main.SetText("btnEvent", context_.setupString + "完了(&E)");
    main.SetEnabled("btnEvent", true);
    ShowOnlyPanel("fraSelectType");
    main.Show();
    context_.status.Hide();
    ProcessMessages();
    WaitForEventButton();
    main.Hide();
    context_.status.Hide();
    ProcessMessages();

    if (state_.reboot && main.IsChecked("optSelectType2")) state_.reboot = false;
    if (state_.reboot) {
        context_.reboot.RestartWindows(2);
    } else if (!entry.program.empty()) {
        const std::string folder = AddPathDelimiter(FolderOfPath(entry.program), "B");
        const unsigned long result = entry.ByCreateProcess()
                                         ? RunByCreateProcess(entry.program, entry.parameters, folder)
                                         : static_cast<unsigned long>(RunByShell(entry.program, entry.parameters, folder));
        if (result >= 1)
            ShowMessageBox("終了後プログラムの起動に失敗しました。\r\niniファイルの記述ミスの可能性があります。\r\n"
                           "プログラム提供者へご報告ください。",
                           "警告", MB_ICONEXCLAMATION);
    }
    EnableWindow(context_.back.Handle(), TRUE);
    context_.status.Hide();
    main.SetModalResult(1);
}
