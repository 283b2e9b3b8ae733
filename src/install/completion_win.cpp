// The end of the installation: failure details, completion text, the final page.
#include <windows.h>

#include "engine/messages_win.h"
#include "engine/paths.h"
#include "install/final_page.h"
#include "install/installation_win.h"
#include "install/programs_win.h"

void ShowFailureDetails(Installation& run) {
    EndStep(run);
    if (run.status.FailureCount <= 0) return;
    if (run.view.Ask("フォルダの作成・ファイルのコピーで、一部の処理が失敗しました。\r\n詳細を表示しますか？", "警告",
                     MB_YESNO | MB_ICONEXCLAMATION,
                     {IDNO, "無人実行では詳細を表示しません。失敗の詳細はこの記録にあります"}) != IDYES)
        return;
    run.view.ShowFailureReport("作成・コピー処理失敗　詳細表示", run.status.FailureReport, false);
}

void Complete(Installation& run) {
    run.status.StatusLog +=
        CompletionText(run.context.setupString, run.context.unSetupString, IsSetupOnly(run.context.unSetupTitle));
    ShowLog(run);
    MessageBeep(MB_OK);
    run.view.WaitForNext();
}

void ShowFinalPage(Installation& run) {
    std::string file = ScriptValue("ExecuteFile", "File");
    run.state.reboot = file == kRebootMark || run.state.lockedFile;
    if (file == kRebootMark) file.clear();
    const ExecuteEntry entry = ParseExecuteEntry(ExpandFolderMacros(file));
    const FinalPage page = BuildFinalPage(run.context.setupString, run.state.reboot, entry);

    const FinalAnswer answer =
        run.view.Finish({page.message, page.choice1, page.choice2, run.context.setupString + "完了(&E)"},
                        {run.status.FailureReport, run.status.FailureCount, run.state.reboot});
    if (answer == FinalAnswer::NobodyAsked) {  // no program is started, and Windows restarts only on request
        run.view.End();
        return;
    }
    if (answer == FinalAnswer::Second) run.state.reboot = false;
    if (run.state.reboot) {
        run.context.reboot.RestartWindows(2);
    } else if (!entry.program.empty()) {
        const std::string folder = AddPathDelimiter(FolderOfPath(entry.program), "B");
        const unsigned long error = entry.ByCreateProcess()
                                        ? RunByCreateProcess(entry.program, entry.parameters, folder)
                                        : RunByShell(entry.program, entry.parameters, folder);
        if (error != 0)
            run.view.Ask(StartFailureText(entry.program, entry.parameters, error), "警告", MB_ICONEXCLAMATION);
        // A file the shell could not open ends with the first box; a process not made gets this one too.
        if (error != 0 && entry.ByCreateProcess())
            run.view.Ask(
                "終了後プログラムの起動に失敗しました。\r\niniファイルの記述ミスの可能性があります。\r\n"
                "プログラム提供者へご報告ください。",
                "警告", MB_ICONEXCLAMATION);
    }
    run.view.End();
}
