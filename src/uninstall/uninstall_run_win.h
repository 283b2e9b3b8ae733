#pragma once
// The uninstall run: removes what the log lists, asks before deleting shared files, and
// ends on a page that offers a restart when a file could only be scheduled.
#include <windows.h>

#include <string>
#include <unordered_set>
#include <vector>

#include "engine/journal_win.h"

#include "windows/run_choices.h"
#include "windows/run_status.h"
#include "windows/run_view.h"
#include "windows/win_reboot_win.h"

class SharedCountNames;

// What the run takes: the user's choices, the view it reports to, and the script's words.
struct UninstallContext {
    UninstallChoices choices;
    RunView& view;
    TWinReboot& reboot;
    std::string setupString;
    std::string unSetupString;
};

void RunUninstall(const UninstallContext& context);

// A path of the log as the system will resolve it: "." and ".." gone, short folder names
// made long, so that the refusal rules see what would really be deleted.
std::string ResolvedLogPath(const std::string& path);
// Whether a log path is refused, as written or as resolved (the rules of uninstall_rules.h).
bool IsRefusedLogPath(const std::string& path);

class UninstallRun {
public:
    explicit UninstallRun(const UninstallContext& context);
    void Run();

private:
    // Display and the log (uninstall_run_win.cpp).
    void BeginStep(const std::string& prefix);
    void ShowLog();
    std::string LogValue(const std::string& section, const std::string& key) const;
    std::vector<std::string> LogList(const std::string& section, const std::string& prefix) const;
    bool Prepare();
    void OpenJournal();
    void ForgetProgram();
    void RunBeforeProgram();
    // A missing item is a failure, except where an earlier attempt of this removal took it.
    bool Reported(unsigned long result) const { return result != 0 && !(resumed_ && IsMissing(result)); }
    static bool IsMissing(unsigned long result) {
        return result == ERROR_FILE_NOT_FOUND || result == ERROR_PATH_NOT_FOUND;
    }

    // Files and shared files (files_win.cpp).
    void DeleteFiles();
    void DeleteListed(const std::vector<std::string>& values, bool report, const SharedCountNames& counted);
    // refused: the entry's path is one the uninstaller never deletes (IsRefusedLogPath).
    void DeleteOne(const std::string& value, bool refused, bool report, const SharedCountNames& counted);
    unsigned long LowerShared(const std::string& path, std::string& options, bool lowered, unsigned long count);
    bool AskYesNo(const std::string& text);

    // Shortcuts, folders, registry, associations (items_win.cpp).
    void DeleteShortcuts();
    void DeleteFolders();
    void DeleteRegistryKeys();
    void RestoreAssociations();
    void DeleteUninstallEntry();
    void DeleteLog();

    // The install folder and the end (completion_win.cpp).
    void RemoveInstallFolder();
    void ShowFailureDetails();
    void Complete();
    void ShowFinalPage();
    FinalChoice FinalPage(bool reboot) const;

    const UninstallContext& context_;
    RunView& view_;
    RunStatus status_;
    std::string installFolder_;
    SharedFileAnswer sharedAnswer_ = SharedFileAnswer::No;  // KeepAll and DeleteAll stand for the rest
    std::string upperWindows_, upperSystem_;                // the system's folders, upper-cased once for every file
    int leftForRestart_ = 0;                                // files whose deletion waits for the restart
    // UNSETUP.RMV beside the log: the shared counts this removal lowered, written ahead of each,
    // so that a removal cut short and started again lowers none twice.
    JournalFile journal_;
    bool resumed_ = false;                     // an earlier attempt of this removal was cut short
    std::unordered_set<std::string> lowered_;  // upper-case paths
    std::string logPath_;                      // goes last, with the entry: the removal can be started again until then
    bool logListed_ = false;
};
