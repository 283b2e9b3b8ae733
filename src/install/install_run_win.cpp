#include "install/installation_win.h"

#include "engine/environment.h"
#include "engine/file_copy_win.h"
#include "engine/files_win.h"
#include "engine/held_files_win.h"
#include "engine/system_win.h"
#include "engine/ini_file_win.h"
#include "engine/messages_win.h"
#include "engine/paths.h"
#include "engine/strings.h"

namespace {

void Start(Installation& run) {
    run.view.Begin(RunKind::Install, run.context.unSetupString);
    run.status.StatusLog = run.context.setupString + "を開始します．．．\r\n\r\n";
    ShowLog(run);
    PauseWithMessages(1000);
}

void ReadRelations(Installation& run) {
    // All twenty numbers are tried: gaps are allowed here.
    for (int n = 1; n <= 20; ++n) {
        const std::string name = ScriptValue("Relate", "Name" + std::to_string(n));
        if (name.empty()) continue;
        const std::string file = ScriptValue("Relate", "File" + std::to_string(n));
        if (!file.empty()) run.state.relations.emplace_back(name, file);
    }
}

void CheckDiskSpace(Installation& run) {
    const std::string& s = run.context.setupString;
    BeginStep(run, "ディスクの空き容量をチェックしています．．．", StepResult::Done);
    const std::string drive = DriveOfPath(run.context.choices.folder);
    FreeSpace space = QueryFreeSpace(drive);
    if (!space.ok) space = QueryFreeSpaceByClusters(drive);
    if (!EnoughSpace(space.bytes, run.state.totalBytes)) {
        run.status.StepStatus = space.ok ? StepResult::SpaceShort : StepResult::SpaceUnknown;
        if (run.view.Ask(LowSpaceQuestion(s, space.ok, run.state.totalBytes), "空き容量チェックエラー",
                         MB_YESNO | MB_ICONQUESTION, {IDNO, "無人実行では容量が足りないまま続行しません"}) != IDYES)
            FatalStop(run, s + "を続行できませんでした。", s + "中止");
    }
    EndStep(run);
    Pause(run);
}

void CheckInstallFolder(Installation& run) {
    const std::string& s = run.context.setupString;
    BeginStep(run, s + "フォルダをチェックしています．．．", StepResult::Done);
    Checkpoint(run);
    const std::string app = AddPathDelimiter(run.context.choices.folder, "B");
    FolderMacros().Set("(App)", app);
    if (!FolderExists(app)) {
        const bool create =
            run.view.Ask(app + "\r\n\r\nこのフォルダは存在しません。作成してもよろしいですか？", "フォルダ作成",
                         MB_YESNO | MB_ICONQUESTION, {IDYES, "無人実行ではインストールフォルダを作成します"}) == IDYES;
        if (create && CreateFolderPath(app) != 0) {
            run.view.Ask(s + "フォルダの作成に失敗しました。\r\n\r\nプログラム作者へご報告ください。", "致命的エラー",
                         MB_ICONERROR);
            run.status.StepStatus = StepResult::CreateFailed;
            EndStep(run);
        }
        if (!create || !FolderExists(app)) FatalStop(run, s + "を続行できませんでした。", s + "中止");
    }
    FolderMacros().Set("(Set)", LeftStr(app, 2) + "\\");
    EndStep(run);
}

void TakeOverJournal(Installation& run) {
    // A package that leaves no log has nothing a later run could remove.
    if (IsSetupOnly(run.context.unSetupTitle)) return;
    const std::string app = FolderMacros().Get("(App)");
    std::string text;
    if (run.journal.Open(InstallJournalPath(FolderMacros().Get("(Win)"), app), text) != 0) return;
    const std::vector<JournalRecord> records = ReadJournalLines(text);
    if (IsJournalOf(records, app)) {
        run.takenOver = ::TakeOverJournal(records, run.state.lists, run.state.relationSlots);
        return;
    }
    run.journal.Clear();
    Journal(run, JournalKind::InstallFolder, app);
}

void LoadPreviousLog(Installation& run) {
    const std::string log = LogPath();
    const std::string backup = Environment().WorkFolder + "UNSETUPB.INI";
    RecoverPutInPlace(FolderOfPath(log) + "UNSETUP.NEW", log);
    if (FileExists(log)) {
        (void)CopyAndHold(log, backup);  // a backup for a run cut short; the install goes on without one
        for (int k = 1; k <= 20; ++k)
            run.state.relationSlots.LoadPrevious(ReadIniValue("RestoreRelate", "Key" + std::to_string(k), "", log));
        auto carry = [&](const char* section, const char* prefix, UninstallList& list) {
            list.carried = ReadNumberedValues(section, prefix, backup);
        };
        UninstallLists& lists = run.state.lists;
        carry("DeleteFolder", "Folder", lists.folders);
        carry("DeleteFile", "File", lists.files);
        carry("DeleteShortCut", "File", lists.shortcuts);
        carry("DeleteRegistry", "Key", lists.registryKeys);
        carry("AddDeleteFile", "File", lists.extraFiles);
    }
    TakeOverJournal(run);
    run.view.AllowAbort(true);
}

}  // namespace

void Show(Installation& run, const std::string& text) { run.view.ShowText(run.status.StatusLog, text); }

void ShowLog(Installation& run) {
    run.pendingEntry.clear();
    Show(run, run.status.StatusLog);
}

void ShowEntry(Installation& run, const std::string& text) {
    run.pendingEntry = run.status.StatusLog + "\r\n" + text;
    if (DisplayDue(run)) ShowPendingEntry(run);
    Checkpoint(run);
}

void ShowPendingEntry(Installation& run) {
    if (!run.pendingEntry.empty()) Show(run, run.pendingEntry);
    if (run.progressPending) run.view.ShowProgress(run.progressPercent, run.state.doneCount, run.state.entryCount);
    run.pendingEntry.clear();
    run.progressPending = false;
    run.lastDisplay = GetTickCount();
}

bool DisplayDue(Installation& run) {
    // Often enough for the eye; with a pause of a few milliseconds per file, repainting every
    // entry would cost more than the copying.
    return GetTickCount() - run.lastDisplay >= 40;
}

void Checkpoint(Installation& run) {
    if (run.view.Stopped()) throw RunStopped{};
}

void Pause(Installation& run) { PauseWithMessages(static_cast<unsigned>(run.context.setupSpeed)); }

void FatalStop(Installation& run, const std::string& text, const std::string& caption) {
    run.view.Ask(text, caption, MB_ICONERROR, {IDOK, nullptr, exit_code::kStopped});
    run.view.Abandon();
    throw RunStopped{};
}

void BeginStep(Installation& run, const std::string& line, StepResult initial) {
    run.status.StatusLog += line;
    run.status.StepStatus = initial;
    ShowLog(run);
}

void MarkDone(Installation& run) {
    if (run.status.StepStatus != StepResult::PartFailed) run.status.StepStatus = StepResult::Done;
}

void EndStep(Installation& run) {
    run.status.EndStepLine();
    ShowLog(run);
    run.journal.Flush();  // on disk before the next step's changes, even through a power cut
}

std::string ScriptValue(const std::string& section, const std::string& key) {
    return ReadIniValue(section, key, "", Environment().ScriptPath);
}

std::string LogPath() { return UninstallLogPath(FolderMacros().Get("(App)")); }

void Journal(Installation& run, JournalKind change, const std::string& value) { run.journal.Append(change, value); }

void RunInstall(const InstallContext& context) {
    Installation run(context);
    try {
        const std::string& s = run.context.setupString;
        Start(run);

        run.status.StatusLog = s + "の情報を作成しています．．．";
        run.status.StepStatus = StepResult::Done;
        ShowLog(run);
        ReadRelations(run);
        EndStep(run);
        Pause(run);

        MeasurePackage(run);
        if (run.state.sizeProgress) CheckDiskSpace(run);
        CheckInstallFolder(run);
        LoadPreviousLog(run);
        ReadDeletionLists(run);
        MakeFolders(run);
        CopyFiles(run);
        MakeShortcuts(run);
        WriteRegistry(run);
        WriteIniFiles(run);
        SetAssociations(run);
        WriteUninstallInformation(run);
        ShowFailureDetails(run);
        Complete(run);
        ShowFinalPage(run);
    } catch (const RunStopped&) {
        // Aborted or stopped: what was done so far stays, and no log is written.
        Unattended().Stop(exit_code::kStopped);
    }
}
