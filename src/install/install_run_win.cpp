#include "install/install_run_win.h"

#include "engine/environment.h"
#include "engine/file_copy_win.h"
#include "engine/files_win.h"
#include "engine/held_files_win.h"
#include "engine/system_win.h"
#include "engine/ini_file_win.h"
#include "engine/messages_win.h"
#include "engine/paths.h"
#include "engine/strings.h"

void RunInstall(const InstallContext& context) {
    InstallRun run(context);
    try {
        run.Run();
    } catch (const RunStopped&) {
        // Aborted or stopped: what was done so far stays, and no log is written.
        Unattended().Stop(exit_code::kStopped);
    }
}

InstallRun::InstallRun(const InstallContext& context) : context_(context), view_(context.view) {}

void InstallRun::Run() {
    const std::string& s = context_.setupString;
    Start();

    status_.StatusLog = s + "の情報を作成しています．．．";
    status_.StepStatus = StepResult::Done;
    ShowLog();
    ReadRelations();
    EndStep();
    Pause();

    MeasurePackage();
    if (state_.sizeProgress) CheckDiskSpace();
    CheckInstallFolder();
    LoadPreviousLog();
    ReadDeletionLists();
    MakeFolders();
    CopyFiles();
    MakeShortcuts();
    WriteRegistry();
    WriteIniFiles();
    SetAssociations();
    WriteUninstallInformation();
    ShowFailureDetails();
    Complete();
    ShowFinalPage();
}

void InstallRun::Start() {
    view_.Begin(RunKind::Install, context_.unSetupString);
    status_.StatusLog = context_.setupString + "を開始します．．．\r\n\r\n";
    ShowLog();
    PauseWithMessages(1000);
}

void InstallRun::Show(const std::string& text) { view_.ShowText(status_.StatusLog, text); }

void InstallRun::ShowEntry(const std::string& text) {
    pendingEntry_ = status_.StatusLog + "\r\n" + text;
    if (DisplayDue()) ShowPendingEntry();
    Checkpoint();
}

void InstallRun::ShowPendingEntry() {
    if (!pendingEntry_.empty()) Show(pendingEntry_);
    if (progressPending_) view_.ShowProgress(progressPercent_, state_.doneCount, state_.entryCount);
    pendingEntry_.clear();
    progressPending_ = false;
    lastDisplay_ = GetTickCount();
}

bool InstallRun::DisplayDue() {
    // Often enough for the eye; with a pause of a few milliseconds per file, repainting every
    // entry would cost more than the copying.
    return GetTickCount() - lastDisplay_ >= 40;
}

void InstallRun::Checkpoint() const {
    if (view_.Stopped()) throw RunStopped{};
}

void InstallRun::Pause() const { PauseWithMessages(static_cast<unsigned>(context_.setupSpeed)); }

void InstallRun::FatalStop(const std::string& text, const std::string& caption) {
    view_.Ask(text, caption, MB_ICONERROR, {IDOK, nullptr, exit_code::kStopped});
    view_.Abandon();
    throw RunStopped{};
}

void InstallRun::BeginStep(const std::string& line, StepResult initial) {
    status_.StatusLog += line;
    status_.StepStatus = initial;
    ShowLog();
}

void InstallRun::MarkDone() {
    if (status_.StepStatus != StepResult::PartFailed) status_.StepStatus = StepResult::Done;
}

void InstallRun::EndStep() {
    status_.EndStepLine();
    ShowLog();
    journal_.Flush();  // on disk before the next step's changes, even through a power cut
}

std::string InstallRun::ScriptValue(const std::string& section, const std::string& key) const {
    return ReadIniValue(section, key, "", Environment().ScriptPath);
}

std::string InstallRun::Log() const { return UninstallLogPath(FolderMacros().Get("(App)")); }

void InstallRun::ReadRelations() {
    // All twenty numbers are tried: gaps are allowed here.
    for (int n = 1; n <= 20; ++n) {
        const std::string name = ScriptValue("Relate", "Name" + std::to_string(n));
        if (name.empty()) continue;
        const std::string file = ScriptValue("Relate", "File" + std::to_string(n));
        if (!file.empty()) state_.relations.emplace_back(name, file);
    }
}

void InstallRun::CheckDiskSpace() {
    const std::string& s = context_.setupString;
    BeginStep("ディスクの空き容量をチェックしています．．．", StepResult::Done);
    const std::string drive = DriveOfPath(context_.choices.folder);
    FreeSpace space = QueryFreeSpace(drive);
    if (!space.ok) space = QueryFreeSpaceByClusters(drive);
    if (!EnoughSpace(space.bytes, state_.totalBytes)) {
        status_.StepStatus = space.ok ? StepResult::SpaceShort : StepResult::SpaceUnknown;
        if (view_.Ask(LowSpaceQuestion(s, space.ok, state_.totalBytes), "空き容量チェックエラー",
                      MB_YESNO | MB_ICONQUESTION, {IDNO, "無人実行では容量が足りないまま続行しません"}) != IDYES)
            FatalStop(s + "を続行できませんでした。", s + "中止");
    }
    EndStep();
    Pause();
}

void InstallRun::CheckInstallFolder() {
    const std::string& s = context_.setupString;
    BeginStep(s + "フォルダをチェックしています．．．", StepResult::Done);
    Checkpoint();
    const std::string app = AddPathDelimiter(context_.choices.folder, "B");
    FolderMacros().Set("(App)", app);
    if (!FolderExists(app)) {
        const bool create =
            view_.Ask(app + "\r\n\r\nこのフォルダは存在しません。作成してもよろしいですか？", "フォルダ作成",
                      MB_YESNO | MB_ICONQUESTION, {IDYES, "無人実行ではインストールフォルダを作成します"}) == IDYES;
        if (create && !CreateFolderPath(app)) {
            view_.Ask(s + "フォルダの作成に失敗しました。\r\n\r\nプログラム作者へご報告ください。", "致命的エラー",
                      MB_ICONERROR);
            status_.StepStatus = StepResult::CreateFailed;
            EndStep();
        }
        if (!create || !FolderExists(app)) FatalStop(s + "を続行できませんでした。", s + "中止");
    }
    FolderMacros().Set("(Set)", LeftStr(app, 2) + "\\");
    EndStep();
}

void InstallRun::LoadPreviousLog() {
    const std::string log = Log();
    const std::string backup = Environment().WorkFolder + "UNSETUPB.INI";
    RecoverPutInPlace(FolderOfPath(log) + "UNSETUP.NEW", log);
    if (FileExists(log)) {
        (void)CopyAndHold(log, backup);  // a backup for a run cut short; the install goes on without one
        for (int k = 1; k <= 20; ++k)
            state_.relationSlots.LoadPrevious(ReadIniValue("RestoreRelate", "Key" + std::to_string(k), "", log));
        auto carry = [&](const char* section, const char* prefix, UninstallList& list) {
            list.carried = ReadNumberedValues(section, prefix, backup);
        };
        UninstallLists& lists = state_.lists;
        carry("DeleteFolder", "Folder", lists.folders);
        carry("DeleteFile", "File", lists.files);
        carry("DeleteShortCut", "File", lists.shortcuts);
        carry("DeleteRegistry", "Key", lists.registryKeys);
        carry("AddDeleteFile", "File", lists.extraFiles);
    }
    TakeOverJournal();
    view_.AllowAbort(true);
}

void InstallRun::TakeOverJournal() {
    // A package that leaves no log has nothing a later run could remove.
    if (IsSetupOnly(context_.unSetupTitle)) return;
    const std::string app = FolderMacros().Get("(App)");
    std::string text;
    if (journal_.Open(InstallJournalPath(FolderMacros().Get("(Win)"), app), text) != 0) return;
    const std::vector<JournalRecord> records = ReadJournalLines(text);
    if (IsJournalOf(records, app)) {
        takenOver_ = ::TakeOverJournal(records, state_.lists, state_.relationSlots);
        return;
    }
    journal_.Clear();
    Journal(JournalKind::InstallFolder, app);
}
