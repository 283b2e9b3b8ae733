#pragma once
// The install run: from the start button to the final page, one step after another.
#include <string>

#include "engine/file_copy_win.h"
#include "engine/files_win.h"
#include "engine/journal_win.h"
#include "install/copy_entry.h"
#include "install/install_journal.h"
#include "install/install_state.h"
#include "install/settings_entries.h"
#include "install/shortcut_entry.h"
#include "windows/run_choices.h"
#include "windows/run_status.h"
#include "windows/run_view.h"
#include "windows/win_reboot_win.h"

// What the run takes: the user's choices, the view it reports to, and the script's start-up values.
struct InstallContext {
    InstallChoices choices;
    RunView& view;
    TWinReboot& reboot;
    std::string setupString;
    std::string unSetupString;
    std::string unSetupTitle;
    std::string programId;
    int setupSpeed = 350;
};

void RunInstall(const InstallContext& context);

// Makes the shell link (or copies a ready .lnk); returns the file made, or empty.
std::string CreateShortcutFile(const ShortcutEntry& entry);

// Thrown at a checkpoint after an abort, and after a fatal stop: the run ends at once.
struct RunStopped {};

class InstallRun {
public:
    explicit InstallRun(const InstallContext& context);
    void Run();

private:
    // Pacing, display and failures (install_run_win.cpp).
    void Start();
    void Show(const std::string& text);
    void ShowLog() {
        pendingEntry_.clear();
        Show(status_.StatusLog);
    }
    // An entry's text after the log (and the copy progress); shown at once when the last display
    // is some time ago, else kept until the next one is due or a question needs it on screen.
    void ShowEntry(const std::string& text);
    void ShowPendingEntry();
    bool DisplayDue();
    void Checkpoint() const;
    void Pause() const;
    [[noreturn]] void FatalStop(const std::string& text, const std::string& caption);
    void BeginStep(const std::string& line, StepResult initial);
    void MarkDone();  // an entry went in: "完了" unless the step already failed in part
    void EndStep();
    std::string ScriptValue(const std::string& section, const std::string& key) const;
    std::string Log() const;
    // Written ahead of the change it names (install_journal.h).
    void Journal(JournalKind change, const std::string& value) { journal_.Append(change, value); }

    // Steps 1 to 5 (install_run_win.cpp).
    void ReadRelations();
    void CheckDiskSpace();
    void CheckInstallFolder();
    void LoadPreviousLog();
    void TakeOverJournal();

    // Files (files_step_win.cpp).
    void MeasurePackage();
    void CopyFiles();
    void CopyOne(int n, const std::string& value);
    enum class Outcome { Copied, Scheduled, Failed, SourceMissing };
    // An entry between its decision and its result, while the copy may still be under way.
    struct FileJob {
        bool missing = false;
        bool copying = false;
        long sourceAge = -1;
        unsigned long error = 0;       // the entry failed before any copy: a cut compressed file
        std::string compressedSource;  // the package file, when the copy is of its expansion
    };
    FileJob StartFile(CopyEntry& entry, const FileStamp& source);
    Outcome FinishFile(CopyEntry& entry, const FileJob& job, unsigned long& error);
    void AskForDisk(const std::string& source);

    // Folders and shortcuts (folders_shortcuts_win.cpp).
    void MakeFolders();
    void MakeShortcuts();
    bool ShortcutChosen(const std::string& rawName) const;

    // Registry, INI files, deletion lists and associations (settings_win.cpp).
    void WriteRegistry();
    void WriteIniFiles();
    void ReadDeletionLists();
    void SetAssociations();
    UninstallEntryName EntryName() const;
    std::string UninstallEntryPath() const;
    void WriteUninstallEntry(const std::string& path);
    void ReportRegistryFailure(const std::string& key, long error);

    // Uninstall information (uninstall_info_win.cpp).
    void WriteUninstallInformation();
    void UpdateUninstaller();
    bool SaveLog(const std::string& text);  // false when no log at all could be written

    // Failure details, completion and the final page (completion_win.cpp).
    void ShowFailureDetails();
    void Complete();
    void ShowFinalPage();

    const InstallContext& context_;
    RunView& view_;
    RunStatus status_;
    InstallState state_;
    std::string pendingEntry_;
    bool progressPending_ = false;
    int progressPercent_ = 0;
    unsigned long lastDisplay_ = 0;
    FolderListing destinations_;  // what the destination folders hold, read once each
    JournalFile journal_;
    TakenOverJournal takenOver_;  // what a run cut short already did in this folder
    StagingFolders staging_;      // removed after the copier, which may still be writing into one
    BackgroundCopy copier_;
};
