// Making the installation removable: the uninstaller, the installed-programs record,
// the uninstall log and the Add/Remove Programs entry.
#include <windows.h>

#include "engine/environment.h"
#include "engine/file_copy_win.h"
#include "engine/files_win.h"
#include "engine/payload_win.h"
#include "engine/ini_file_win.h"
#include "engine/messages_win.h"
#include "engine/paths.h"
#include "install/install_run_win.h"
#include "install/program_image.h"

void InstallRun::WriteUninstallInformation() {
    BeginStep(context_.unSetupString + "情報を更新しています", StepResult::DoneAfterDots);
    view_.AllowAbort(false);
    auto dots = [this](int n) {
        std::string row;
        for (int i = 0; i < n; ++i) row += "．";
        Show(status_.StatusLog + row);
    };
    dots(1);
    UpdateUninstaller();
    dots(2);
    const std::string app = FolderMacros().Get("(App)");
    // The record of installed programs is a convenience for later installs: a failure costs nothing now.
    if (!context_.programId.empty())
        (void)WriteIniValue(context_.programId, "Folder", app, InstalledProgramsFile(FolderMacros().Get("(Win)")));
    dots(3);
    if (IsSetupOnly(context_.unSetupTitle)) return;

    UninstallLogContent log;
    log.unSetupTitle = context_.unSetupTitle;
    log.setupFolder = app;
    log.setupString = context_.setupString;
    log.unSetupString = context_.unSetupString;
    log.lists = std::move(state_.lists);
    log.relations = state_.relationSlots;
    log.checkBox = ScriptValue("Extend", "UnSetupOption");
    log.checkBox3 = ScriptValue("Extend", "UnSetupCheckBox3");
    log.checkBox4 = ScriptValue("Extend", "UnSetupCheckBox4");
    log.readmeFile = ScriptValue("BeforeUnInstall", "ReadmeFile");
    log.beforeFile = ScriptValue("BeforeUnInstall", "File");
    log.registryKey = UninstallEntryPath();
    log.programId = context_.programId;
    // The entry points at the log, so it comes only once a log is whole on disk; until then
    // the journal stays for the next run.
    if (!SaveLog(BuildUninstallLog(log, dots))) return;
    WriteUninstallEntry(log.registryKey);
    journal_.Remove();
}

void InstallRun::UpdateUninstaller() {
    const std::string uninstaller = FolderMacros().Get("(Win)") + "UNKELVO.EXE";
    const std::string temporary = FolderMacros().Get("(Win)") + "UNKELVO.NEW";
    const std::string self = Environment().WorkFolder + "SETUPB.EXE";
    RecoverPutInPlace(temporary, uninstaller);
    if (IsSetupOnly(context_.unSetupTitle) && !FileExists(uninstaller)) return;
    // A newer uninstaller stays, unless it is no whole program of ours (one cut by a crash
    // during its copy is newer than any).
    if (FileAge(self) <= FileAge(uninstaller) && IsWholeSetupProgram(ReadWholeFile(uninstaller))) return;
    // The work folder is the user's to write: what becomes the uninstaller, which later runs
    // with the rights of whoever removes the product, must be the very program that runs (for a one-file package, the
    // program that was packed).
    if (ReadWholeFile(self) != RunningSetupProgram()) {
        status_.FailureReport +=
            "<SetupFile> " + uninstaller + "\r\n" + self + "が実行中のプログラムと一致しません。\r\n";
        ++status_.FailureCount;
        return;
    }
    // Written beside it and moved over it in one step: every product's removal needs it whole.
    unsigned long error = CopyOneFile(self, temporary);
    if (error == 0) error = PutInPlace(temporary, uninstaller);
    if (error) {
        DeleteFileA(temporary.c_str());
        status_.FailureReport += "<SetupFile> " + uninstaller + "\r\n" + SystemErrorText(error);
        ++status_.FailureCount;
    }
}

bool InstallRun::SaveLog(const std::string& text) {
    // Written beside the log first, then put in its place: a crash or a full disk leaves
    // the old log or the new one, never a cut one.
    const std::string log = Log();
    const std::string folder = FolderOfPath(log);
    const std::string temporary = folder + "UNSETUP.NEW";
    DWORD error = WriteWholeFile(temporary, text);
    if (error == 0 && PutInPlace(temporary, log) == 0) return true;
    if (error == 0) {
        DeleteFileA(temporary.c_str());
        view_.Ask("既存の「UNSETUP.INI」が削除できませんでした。\r\n" + context_.unSetupString +
                      "が正常に行われない可能性があります。",
                  "致命的エラー", MB_ICONEXCLAMATION);
    }
    std::string fallback;
    for (int k = 1;; ++k) {
        fallback = "UNTMP" + std::to_string(k) + ".INI";
        if (!FileExists(folder + fallback)) break;
    }
    if (const DWORD fallbackError = WriteWholeFile(folder + fallback, text)) {
        // Not even the fallback could be written: say so among the failures instead of ending
        // the run, and make no entry that would point at no log.
        status_.FailureReport +=
            "<File> " + log + "\r\n" + SystemErrorText(fallbackError) + context_.unSetupString +
            "情報を保存できなかったため、「プログラム(アプリケーション)の追加と削除」に登録していません。\r\n";
        ++status_.FailureCount;
        return false;
    }
    view_.Ask("インストールフォルダに仮ファイル" + fallback + "を作成しました\r\n" +
                  "上記ファイルを「UNSETUP.INI」にリネームしてください。\r\n" + "リネームを行わないと、正常に" +
                  context_.unSetupString + "できません。",
              "警告", MB_ICONEXCLAMATION);
    return true;
}
