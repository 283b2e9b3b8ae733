#pragma once
// What the removal's steps share, and the steps in the order the run takes them. Each file
// of src/uninstall holds the steps named beside it.
#include <windows.h>

#include <string>
#include <unordered_set>
#include <vector>

#include "engine/journal_win.h"
#include "uninstall/uninstall_run_win.h"
#include "windows/run_status.h"

struct Removal {
    explicit Removal(const UninstallContext& inputs) : context(inputs), view(inputs.view) {}

    const UninstallContext& context;
    RunView& view;
    RunStatus status;
    std::string installFolder;
    SharedFileAnswer sharedAnswer = SharedFileAnswer::No;  // KeepAll and DeleteAll stand for the rest
    std::string upperWindows, upperSystem;                 // the system's folders, upper-cased once for every file
    int leftForRestart = 0;                                // files whose deletion waits for the restart
    // UNSETUP.RMV beside the log: the shared counts this removal lowered, written ahead of each,
    // so that a removal cut short and started again lowers none twice.
    JournalFile journal;
    bool resumed = false;                     // an earlier attempt of this removal was cut short
    std::unordered_set<std::string> lowered;  // upper-case paths
    std::string logPath;                      // goes last, with the entry: the removal can be started again until then
    bool logListed = false;
};

// The progress text and the log (uninstall_run_win.cpp).
void BeginStep(Removal& run, const std::string& text);
void ShowLog(Removal& run);
std::string LogValue(const std::string& section, const std::string& key);
std::vector<std::string> LogList(const std::string& section, const std::string& prefix);
// A missing item is a failure, except where an earlier attempt of this removal took it.
inline bool Reported(const Removal& run, unsigned long result) {
    const bool missing = result == ERROR_FILE_NOT_FOUND || result == ERROR_PATH_NOT_FOUND;
    return result != 0 && !(run.resumed && missing);
}

// Files and shared files (files_step_win.cpp).
void DeleteFiles(Removal& run);

// Shortcuts, folders, registry, associations, the entry and the log (items_win.cpp).
void DeleteShortcuts(Removal& run);
void DeleteFolders(Removal& run);
void DeleteRegistryKeys(Removal& run);
void RestoreAssociations(Removal& run);
void DeleteUninstallEntry(Removal& run);
void DeleteLog(Removal& run);

// The install folder and the end (completion_win.cpp).
void RemoveInstallFolder(Removal& run);
void ShowFailureDetails(Removal& run);
void Complete(Removal& run);
void ShowFinalPage(Removal& run);
