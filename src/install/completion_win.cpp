// The end of the installation: failure details, completion text, the final page.
#include <windows.h>

#include "engine/messages_win.h"
#include "engine/paths.h"
#include "install/final_page.h"
#include "install/install_run_win.h"
#include "install/programs_win.h"

void InstallRun::ShowFailureDetails() {
    EndStep();
    if (status_.FailureCount <= 0) return;
    if (view_.Ask("フォルダの作成・ファイルのコピーで、一部の処理が失敗しました。\r\n詳細を表示しますか？", "警告",
                  MB_YESNO | MB_ICONEXCLAMATION,
                  {IDNO, "無人実行では詳細を表示しません。失敗の詳細はこの記録にあります"}) != IDYES)
        return;
    view_.ShowFailureReport("作成・コピー処理失敗　詳細表示", status_.FailureReport, false);
}

void InstallRun::Complete() {
    status_.StatusLog +=
        CompletionText(context_.setupString, context_.unSetupString, IsSetupOnly(context_.unSetupTitle));
    ShowLog();
    MessageBeep(MB_OK);
    view_.WaitForNext();
}

void InstallRun::ShowFinalPage() {
    std::string file = ScriptValue("ExecuteFile", "File");
    state_.reboot = file == kRebootMark || state_.lockedFile;
    if (file == kRebootMark) file.clear();
    const ExecuteEntry entry = ParseExecuteEntry(ExpandFolderMacros(file));
    const FinalPage page = BuildFinalPage(context_.setupString, state_.reboot, entry);

    const FinalAnswer answer =
        view_.Finish({page.message, page.choice1, page.choice2, context_.setupString + "完了(&E)"},
                     {status_.FailureReport, status_.FailureCount, state_.reboot});
    if (answer == FinalAnswer::NobodyAsked) {  // no program is started, and Windows restarts only on request
        view_.End();
        return;
    }
    if (answer == FinalAnswer::Second) state_.reboot = false;
    if (state_.reboot) {
        context_.reboot.RestartWindows(2);
    } else if (!entry.program.empty()) {
        const std::string folder = AddPathDelimiter(FolderOfPath(entry.program), "B");
        const unsigned long error = entry.ByCreateProcess()
                                        ? RunByCreateProcess(entry.program, entry.parameters, folder)
                                        : RunByShell(entry.program, entry.parameters, folder);
        if (error != 0) view_.Ask(StartFailureText(entry.program, entry.parameters, error), "警告", MB_ICONEXCLAMATION);
        // A file the shell could not open ends with the first box; a process not made gets this one too.
        if (error != 0 && entry.ByCreateProcess())
            view_.Ask(
                "終了後プログラムの起動に失敗しました。\r\niniファイルの記述ミスの可能性があります。\r\n"
                "プログラム提供者へご報告ください。",
                "警告", MB_ICONEXCLAMATION);
    }
    view_.End();
}
