#include "uninstall/removal_win.h"

#include "engine/code_page.h"
#include "engine/environment.h"
#include "engine/files_win.h"
#include "engine/system_win.h"
#include "engine/journal.h"
#include "engine/ini_file_win.h"
#include "engine/messages_win.h"
#include "engine/paths.h"
#include "engine/strings.h"
#include "uninstall/uninstall_rules.h"

void BeginStep(Removal& run, const std::string& text) {
    run.status.EndStepLine();
    run.status.StatusLog += text;
    run.status.StepStatus = StepResult::Done;
    ShowLog(run);
}

void ShowLog(Removal& run) { run.view.ShowText(run.status.StatusLog, run.status.StatusLog); }

std::string LogValue(const std::string& section, const std::string& key) {
    return ReadIniValue(section, key, "", Environment().ScriptPath);
}

std::vector<std::string> LogList(const std::string& section, const std::string& prefix) {
    return ReadNumberedValues(section, prefix, Environment().ScriptPath);
}

namespace {

bool Prepare(Removal& run) {
    const std::string& u = run.context.unSetupString;
    run.status.StatusLog = u + "を行っています。\r\n\r\n【処理状況】\r\n";
    run.view.Begin(RunKind::Uninstall, u);
    ShowLog(run);

    run.installFolder = run.context.choices.folder;
    if (run.installFolder.empty()) {
        run.view.Ask(u + "フォルダが不明です。\r\n" + u + "は続行できません。", "致命的エラー", MB_ICONERROR,
                     {IDOK, nullptr, exit_code::kStopped});
        run.view.Abandon();
        return false;
    }
    run.installFolder = AddPathDelimiter(run.installFolder, "B");
    FolderMacros().Set("(App)", run.installFolder);
    run.logPath = run.installFolder + "UNSETUP.INI";
    return true;
}

void OpenJournal(Removal& run) {
    const std::string path = run.installFolder + "UNSETUP.RMV";
    run.resumed = FileExists(path);
    std::string text;
    if (run.journal.Open(path, text) != 0) return;
    for (const JournalRecord& record : ReadJournalLines(text))
        if (record.kind == JournalKind::SharedCount) run.lowered.insert(MapString(record.value, kMapUpperCase));
}

void ForgetProgram() {
    // With the entry, once everything else is gone: a removal cut short is still on record.
    const std::string id = LogValue("ProgramID", "ID");
    if (id.empty()) return;
    const std::string record = InstalledProgramsFile(FolderMacros().Get("(Win)"));
    (void)RemoveIniSection(id, record);  // as before: an entry that stays on record only shows again
}

void RunBeforeProgram(Removal& run) {
    run.status.StatusLog += run.context.unSetupString + "処理前のプログラム実行．．．";
    run.status.StepStatus = StepResult::Nothing;
    ShowLog(run);
    const std::string value = LogValue("BeforeUnInstall", "File");
    if (value.empty()) return;
    std::string path = run.installFolder + RemovePathDelimiter(value, "T");
    std::string parameters;
    if (path.find(',') != std::string::npos) {
        parameters = GetField(path, ",", 2);
        path = GetField(path, ",", 1);
    }
    run.status.StepStatus = RunAndWait(path, parameters) == 0 ? StepResult::Done : StepResult::Failed;
}

}  // namespace

void RunUninstall(const UninstallContext& context) {
    Removal run(context);
    if (!Prepare(run)) return;
    OpenJournal(run);
    RunBeforeProgram(run);
    DeleteFiles(run);
    DeleteShortcuts(run);
    DeleteFolders(run);
    DeleteRegistryKeys(run);
    RestoreAssociations(run);
    DeleteUninstallEntry(run);
    ForgetProgram();
    DeleteLog(run);
    RemoveInstallFolder(run);
    ShowFailureDetails(run);
    Complete(run);
    ShowFinalPage(run);
}
