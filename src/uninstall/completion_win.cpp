// The install folder, the failure details, the completion text and the final page.
#include <windows.h>

#include "engine/file_delete_win.h"
#include "engine/messages_win.h"
#include "engine/paths.h"
#include "engine/strings.h"
#include "uninstall/uninstall_rules.h"
#include "uninstall/removal_win.h"

void RemoveInstallFolder(Removal& run) {
    const std::string& s = run.context.setupString;
    const UninstallChoices& choices = run.context.choices;
    BeginStep(run, s + "フォルダの" + run.context.unSetupString + "処理．．．");
    // Spelt otherwise in a changed log ("C:\WINDOWS\.\", a short name), it is still that folder.
    const std::string resolved = AddPathDelimiter(ResolvedLogPath(run.installFolder), "B");
    if (!IsProtectedInstallFolder(run.installFolder) && !IsProtectedInstallFolder(resolved)) {
        const unsigned long result =
            RemoveFolderWithPatterns(run.installFolder, choices.deleteAll ? "*.*|" : choices.patterns);
        if (Reported(run, result)) {
            run.status.FailureReport +=
                InstallFolderBlock(run.installFolder, result, SystemErrorText(result), s, choices.deleteAll);
            ++run.status.FailureCount;
            if (result == ERROR_DIR_NOT_EMPTY || result == ERROR_ACCESS_DENIED)
                run.status.StepStatus = StepResult::PartFailed;
        }
    }
    run.status.EndStepLine();
    ShowLog(run);
}

void ShowFailureDetails(Removal& run) {
    if (run.status.FailureCount <= 0) return;
    const std::string& u = run.context.unSetupString;
    run.status.StatusLog += "《情報》" + u + "の過程で、一部の処理が失敗しました。\r\n";
    ShowLog(run);
    if (run.view.Ask(u + "の過程で、一部の処理が失敗しました。\r\n詳細を表示しますか？", "情報",
                     MB_YESNO | MB_ICONEXCLAMATION,
                     {IDNO, "無人実行では詳細を表示しません。失敗の詳細はこの記録にあります"}) != IDYES)
        return;
    run.view.ShowFailureReport("削除処理失敗　詳細表示", run.status.FailureReport, true);
}

void Complete(Removal& run) {
    run.status.StatusLog +=
        "\r\n【処理完了】\r\n　「次へ(N)」をクリックして、" + run.context.unSetupString + "を完了してください。\r\n";
    ShowLog(run);
    MessageBeep(MB_OK);
    run.view.WaitForNext();
}

namespace {

FinalChoice FinalPage(const Removal& run, bool reboot) {
    const std::string& u = run.context.unSetupString;
    FinalChoice page;
    page.button = u + "完了(&E)";
    if (reboot) {
        page.message = "　" + u + "を完了するには、Windowsを再起動する必要があります。\r\n\r\n" +
                       "　Windowsの再起動を選択した場合、現在稼動している他のプログラムは強制的に終了され、" +
                       "かつ、終了後プログラムは実行されませんので、十分にご注意ください。";
        page.choice1 = "はい、Windowsを再起動します。(&Y)";
        page.choice2 = "いいえ、Windowsは再起動せずに、アンインストーラーを終了します。(&N)";
    } else {
        page.message = u + "を完了しました。";
        page.choice1 = "アンインストーラを終了します。(&Y)";
    }
    return page;
}

}  // namespace

void ShowFinalPage(Removal& run) {
    const bool reboot = run.leftForRestart > 0;
    // A file left for the restart is not a failure of the removal.
    const FinalAnswer answer = run.view.Finish(
        FinalPage(run, reboot), {run.status.FailureReport, run.status.FailureCount - run.leftForRestart, reboot});
    if (reboot && answer == FinalAnswer::First) run.context.reboot.RestartWindows(2);
    run.view.End();
}
