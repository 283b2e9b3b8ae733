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
#include "install/installation_win.h"
#include "install/program_image.h"
#include "system_files_win.h"

namespace {

void UpdateUninstaller(Installation& run) {
    const std::string uninstaller = FolderMacros().Get("(Win)") + "UNKELVO.EXE";
    const std::string temporary = FolderMacros().Get("(Win)") + "UNKELVO.NEW";
    const std::string self = Environment().WorkFolder + "SETUPB.EXE";
    RecoverPutInPlace(temporary, uninstaller);
    if (IsSetupOnly(run.context.unSetupTitle) && !FileExists(uninstaller)) return;
    // A newer uninstaller stays, unless it is no whole program of ours (one cut by a crash
    // during its copy is newer than any).
    if (FileAge(self) <= FileAge(uninstaller) && IsWholeSetupProgram(ReadWholeFile(uninstaller))) return;
    // The work folder is the user's to write: what becomes the uninstaller, which later runs
    // with the rights of whoever removes the product, must be the very program that runs (for a one-file package, the
    // program that was packed).
    if (ReadWholeFile(self) != RunningSetupProgram()) {
        run.status.FailureReport +=
            "<SetupFile> " + uninstaller + "\r\n" + self + "が実行中のプログラムと一致しません。\r\n";
        ++run.status.FailureCount;
        return;
    }
    // Written beside it and moved over it in one step: every product's removal needs it whole.
    unsigned long error = CopyOneFile(self, temporary);
    if (error == 0) error = PutInPlace(temporary, uninstaller);
    if (error) {
        DeleteFile932(temporary.c_str());
        run.status.FailureReport += "<SetupFile> " + uninstaller + "\r\n" + SystemErrorText(error);
        ++run.status.FailureCount;
    }
}

bool SaveLog(Installation& run, const std::string& text) {
    // Written beside the log first, then put in its place: a crash or a full disk leaves
    // the old log or the new one, never a cut one.
    const std::string log = LogPath();
    const std::string folder = FolderOfPath(log);
    const std::string temporary = folder + "UNSETUP.NEW";
    DWORD error = WriteWholeFile(temporary, text);
    if (error == 0 && PutInPlace(temporary, log) == 0) return true;
    if (error == 0) {
        DeleteFile932(temporary.c_str());
        run.view.Ask("既存の「UNSETUP.INI」が削除できませんでした。\r\n" + run.context.unSetupString +
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
        run.status.FailureReport +=
            "<File> " + log + "\r\n" + SystemErrorText(fallbackError) + run.context.unSetupString +
            "情報を保存できなかったため、「プログラム(アプリケーション)の追加と削除」に登録していません。\r\n";
        ++run.status.FailureCount;
        return false;
    }
    run.view.Ask("インストールフォルダに仮ファイル" + fallback + "を作成しました\r\n" +
                     "上記ファイルを「UNSETUP.INI」にリネームしてください。\r\n" + "リネームを行わないと、正常に" +
                     run.context.unSetupString + "できません。",
                 "警告", MB_ICONEXCLAMATION);
    return true;
}

}  // namespace

void WriteUninstallInformation(Installation& run) {
    BeginStep(run, run.context.unSetupString + "情報を更新しています", StepResult::DoneAfterDots);
    run.view.AllowAbort(false);
    auto dots = [&run](int n) {
        std::string row;
        for (int i = 0; i < n; ++i) row += "．";
        Show(run, run.status.StatusLog + row);
    };
    dots(1);
    UpdateUninstaller(run);
    dots(2);
    const std::string app = FolderMacros().Get("(App)");
    // The record of installed programs is a convenience for later installs: a failure costs nothing now.
    if (!run.context.programId.empty())
        (void)WriteIniValue(run.context.programId, "Folder", app, InstalledProgramsFile(FolderMacros().Get("(Win)")));
    dots(3);
    if (IsSetupOnly(run.context.unSetupTitle)) return;

    UninstallLogContent log;
    log.unSetupTitle = run.context.unSetupTitle;
    log.setupFolder = app;
    log.setupString = run.context.setupString;
    log.unSetupString = run.context.unSetupString;
    log.lists = std::move(run.state.lists);
    log.relations = run.state.relationSlots;
    log.checkBox = ScriptValue("Extend", "UnSetupOption");
    log.checkBox3 = ScriptValue("Extend", "UnSetupCheckBox3");
    log.checkBox4 = ScriptValue("Extend", "UnSetupCheckBox4");
    log.readmeFile = ScriptValue("BeforeUnInstall", "ReadmeFile");
    log.beforeFile = ScriptValue("BeforeUnInstall", "File");
    log.registryKey = UninstallEntryPath(run);
    log.programId = run.context.programId;
    // The entry points at the log, so it comes only once a log is whole on disk; until then
    // the journal stays for the next run.
    if (!SaveLog(run, BuildUninstallLog(log, dots))) return;
    WriteUninstallEntry(run, log.registryKey);
    run.journal.Remove();
}
