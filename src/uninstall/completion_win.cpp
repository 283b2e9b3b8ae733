// The install folder, the failure details, the completion text and the final page.
#include <windows.h>

#include "engine/file_delete_win.h"
#include "engine/messages_win.h"
#include "engine/paths.h"
#include "engine/strings.h"
#include "uninstall/uninstall_rules.h"
#include "uninstall/uninstall_run_win.h"

void UninstallRun::RemoveInstallFolder() {
    const std::string& s = context_.setupString;
    const UninstallChoices& choices = context_.choices;
    BeginStep(s + "フォルダの" + context_.unSetupString + "処理．．．");
    // Spelt otherwise in a changed log ("C:\WINDOWS\.\", a short name), it is still that folder.
    const std::string resolved = AddPathDelimiter(ResolvedLogPath(installFolder_), "B");
    if (!IsProtectedInstallFolder(installFolder_) && !IsProtectedInstallFolder(resolved)) {
        const unsigned long result =
            RemoveFolderWithPatterns(installFolder_, choices.deleteAll ? "*.*|" : choices.patterns);
        if (Reported(result)) {
            status_.FailureReport +=
                InstallFolderBlock(installFolder_, result, SystemErrorText(result), s, choices.deleteAll);
            ++status_.FailureCount;
            if (result == ERROR_DIR_NOT_EMPTY || result == ERROR_ACCESS_DENIED)
                status_.StepStatus = StepResult::PartFailed;
        }
    }
    status_.EndStepLine();
    ShowLog();
}

void UninstallRun::ShowFailureDetails() {
    if (status_.FailureCount <= 0) return;
    const std::string& u = context_.unSetupString;
    status_.StatusLog += "《情報》" + u + "の過程で、一部の処理が失敗しました。\r\n";
    ShowLog();
    if (view_.Ask(u + "の過程で、一部の処理が失敗しました。\r\n詳細を表示しますか？", "情報",
                  MB_YESNO | MB_ICONEXCLAMATION,
                  {IDNO, "無人実行では詳細を表示しません。失敗の詳細はこの記録にあります"}) != IDYES)
        return;
    view_.ShowFailureReport("削除処理失敗　詳細表示", status_.FailureReport, true);
}

void UninstallRun::Complete() {
    status_.StatusLog +=
        "\r\n【処理完了】\r\n　「次へ(N)」をクリックして、" + context_.unSetupString + "を完了してください。\r\n";
    ShowLog();
    MessageBeep(MB_OK);
    view_.WaitForNext();
}

void UninstallRun::ShowFinalPage() {
    const bool reboot = leftForRestart_ > 0;
    // A file left for the restart is not a failure of the removal.
    const FinalAnswer answer =
        view_.Finish(FinalPage(reboot), {status_.FailureReport, status_.FailureCount - leftForRestart_, reboot});
    if (reboot && answer == FinalAnswer::First) context_.reboot.RestartWindows(2);
    view_.End();
}

FinalChoice UninstallRun::FinalPage(bool reboot) const {
    const std::string& u = context_.unSetupString;
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
