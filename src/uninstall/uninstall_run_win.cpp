#include "uninstall/uninstall_run_win.h"

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

void RunUninstall(const UninstallContext& context) {
    UninstallRun run(context);
    run.Run();
}

UninstallRun::UninstallRun(const UninstallContext& context) : context_(context), view_(context.view) {}

void UninstallRun::Run() {
    if (!Prepare()) return;
    OpenJournal();
    RunBeforeProgram();
    DeleteFiles();
    DeleteShortcuts();
    DeleteFolders();
    DeleteRegistryKeys();
    RestoreAssociations();
    DeleteUninstallEntry();
    ForgetProgram();
    DeleteLog();
    RemoveInstallFolder();
    ShowFailureDetails();
    Complete();
    ShowFinalPage();
}

void UninstallRun::BeginStep(const std::string& text) {
    status_.EndStepLine();
    status_.StatusLog += text;
    status_.StepStatus = StepResult::Done;
    ShowLog();
}

void UninstallRun::ShowLog() { view_.ShowText(status_.StatusLog, status_.StatusLog); }

std::string UninstallRun::LogValue(const std::string& section, const std::string& key) const {
    return ReadIniValue(section, key, "", Environment().ScriptPath);
}

std::vector<std::string> UninstallRun::LogList(const std::string& section, const std::string& prefix) const {
    return ReadNumberedValues(section, prefix, Environment().ScriptPath);
}

bool UninstallRun::Prepare() {
    const std::string& u = context_.unSetupString;
    status_.StatusLog = u + "を行っています。\r\n\r\n【処理状況】\r\n";
    view_.Begin(RunKind::Uninstall, u);
    ShowLog();

    installFolder_ = context_.choices.folder;
    if (installFolder_.empty()) {
        view_.Ask(u + "フォルダが不明です。\r\n" + u + "は続行できません。", "致命的エラー", MB_ICONERROR,
                  {IDOK, nullptr, exit_code::kStopped});
        view_.Abandon();
        return false;
    }
    installFolder_ = AddPathDelimiter(installFolder_, "B");
    FolderMacros().Set("(App)", installFolder_);
    logPath_ = installFolder_ + "UNSETUP.INI";
    return true;
}

void UninstallRun::OpenJournal() {
    const std::string path = installFolder_ + "UNSETUP.RMV";
    resumed_ = FileExists(path);
    std::string text;
    if (journal_.Open(path, text) != 0) return;
    for (const JournalRecord& record : ReadJournalLines(text))
        if (record.kind == JournalKind::SharedCount) lowered_.insert(MapString(record.value, kMapUpperCase));
}

void UninstallRun::ForgetProgram() {
    // With the entry, once everything else is gone: a removal cut short is still on record.
    const std::string id = LogValue("ProgramID", "ID");
    if (id.empty()) return;
    const std::string record = InstalledProgramsFile(FolderMacros().Get("(Win)"));
    WritePrivateProfileStringA(id.c_str(), nullptr, nullptr, record.c_str());
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, record.c_str());
}

void UninstallRun::RunBeforeProgram() {
    status_.StatusLog += context_.unSetupString + "処理前のプログラム実行．．．";
    status_.StepStatus = StepResult::Nothing;
    ShowLog();
    const std::string value = LogValue("BeforeUnInstall", "File");
    if (value.empty()) return;
    std::string path = installFolder_ + RemovePathDelimiter(value, "T");
    std::string parameters;
    if (path.find(',') != std::string::npos) {
        parameters = GetField(path, ",", 2);
        path = GetField(path, ",", 1);
    }
    status_.StepStatus = RunAndWait(path, parameters) == 0 ? StepResult::Done : StepResult::Failed;
}
