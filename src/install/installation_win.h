#pragma once
// What the install run's steps share, and the steps each file of src/install holds. The
// order of the steps is RunInstall's (install_run_win.cpp).
#include <string>

#include "engine/file_copy_win.h"
#include "engine/files_win.h"
#include "engine/journal_win.h"
#include "install/install_journal.h"
#include "install/install_run_win.h"
#include "install/install_state.h"
#include "windows/run_status.h"

struct Installation {
    explicit Installation(const InstallContext& inputs) : context(inputs), view(inputs.view) {}

    const InstallContext& context;
    RunView& view;
    RunStatus status;
    InstallState state;
    std::string pendingEntry;  // the entry under way, shown when the next display is due
    bool progressPending = false;
    int progressPercent = 0;
    unsigned long lastDisplay = 0;
    FolderListing destinations;  // what the destination folders hold, read once each
    JournalFile journal;
    TakenOverJournal takenOver;  // what a run cut short already did in this folder
    StagingFolders staging;      // removed after the copier, which may still be writing into one
    BackgroundCopy copier;
};

// Thrown at a checkpoint after an abort, and after a fatal stop: the run ends at once.
struct RunStopped {};

// Pacing, display and failures (install_run_win.cpp).
void Show(Installation& run, const std::string& text);
void ShowLog(Installation& run);
// An entry's text after the log (and the copy progress); shown at once when the last display
// is some time ago, else kept until the next one is due or a question needs it on screen.
void ShowEntry(Installation& run, const std::string& text);
void ShowPendingEntry(Installation& run);
bool DisplayDue(Installation& run);
void Checkpoint(Installation& run);
void Pause(Installation& run);
[[noreturn]] void FatalStop(Installation& run, const std::string& text, const std::string& caption);
void BeginStep(Installation& run, const std::string& line, StepResult initial);
void MarkDone(Installation& run);  // an entry went in: "完了" unless the step already failed in part
void EndStep(Installation& run);
std::string ScriptValue(const std::string& section, const std::string& key);
std::string LogPath();  // UNSETUP.INI in the install folder
// Written ahead of the change it names (install_journal.h).
void Journal(Installation& run, JournalKind change, const std::string& value);

// Files (files_step_win.cpp).
void MeasurePackage(Installation& run);
void CopyFiles(Installation& run);

// Folders and shortcuts (folders_shortcuts_win.cpp).
void MakeFolders(Installation& run);
void MakeShortcuts(Installation& run);

// Registry, INI files, deletion lists and associations (settings_win.cpp).
void ReadDeletionLists(Installation& run);
void WriteRegistry(Installation& run);
void WriteIniFiles(Installation& run);
void SetAssociations(Installation& run);
std::string UninstallEntryPath(Installation& run);
void WriteUninstallEntry(Installation& run, const std::string& path);

// Uninstall information (uninstall_info_win.cpp).
void WriteUninstallInformation(Installation& run);

// Failure details, completion and the final page (completion_win.cpp).
void ShowFailureDetails(Installation& run);
void Complete(Installation& run);
void ShowFinalPage(Installation& run);
