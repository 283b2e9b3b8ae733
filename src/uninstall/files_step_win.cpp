// The logged files: shared ones counted down and asked about, the rest deleted, and
// those still in use scheduled for the next start when their entry says so.
#include <windows.h>

#include <unordered_map>
#include <vector>

#include "engine/code_page.h"
#include "engine/environment.h"
#include "engine/file_delete_win.h"
#include "engine/files_win.h"
#include "engine/messages_win.h"
#include "engine/paths.h"
#include "engine/restart_files_win.h"
#include "engine/shared_dll_win.h"
#include "engine/strings.h"
#include "uninstall/uninstall_rules.h"
#include "uninstall/removal_win.h"
#include "system_files_win.h"

std::string ResolvedLogPath(const std::string& path) {
    std::vector<char> full(path.size() + MAX_PATH, '\0');
    const DWORD n = GetFullPathName932(path.c_str(), static_cast<DWORD>(full.size()), full.data());
    if (n == 0 || n >= full.size()) return path;
    const std::string resolved(full.data(), n);
    const std::string folder = FolderOfPath(resolved);
    // Thousands of files share a few folders, and each long-name query walks the disk.
    static std::unordered_map<std::string, std::string> longFolders;
    auto known = longFolders.find(folder);
    if (known == longFolders.end()) {
        std::vector<char> longer(folder.size() + MAX_PATH, '\0');
        const DWORD m = GetLongPathName932(folder.c_str(), longer.data(), static_cast<DWORD>(longer.size()));
        const std::string name =
            m == 0 || m >= longer.size() ? "" : AddPathDelimiter(std::string(longer.data(), m), "B");
        known = longFolders.emplace(folder, name).first;
    }
    return known->second.empty() ? resolved : known->second + NameOfPath(resolved);
}

bool IsRefusedLogPath(const std::string& path) {
    // The entry as written too: resolving makes a relative entry look absolute.
    const std::string& windows = FolderMacros().Get("(Win)");
    const std::string& system = FolderMacros().Get("(Sys)");
    if (IsRefusedPath(path, windows, system)) return true;
    const std::string resolved = ResolvedLogPath(path);
    return resolved != path && IsRefusedPath(resolved, windows, system);
}

namespace {

bool HasSharedMark(const std::string& options) { return ContainsText("/S", options) != 0; }

bool AskYesNo(Removal& run, const std::string& text) {
    return run.view.Ask(text, "ファイル削除の確認", MB_YESNO | MB_ICONQUESTION,
                        {IDNO, "無人実行では確認の要るファイルを残します"}) == IDYES;
}

unsigned long LowerShared(Removal& run, const std::string& path, std::string& options, bool lowered,
                          unsigned long count) {
    // Once per installation: an attempt cut short already took its one, and only asks again.
    if (lowered && !FileExists(path)) return 0;
    if (!lowered) {
        run.journal.Append(JournalKind::SharedCount, path);
        run.journal.Flush();
        count = ChangeSharedCount(path, false);
    }
    if (count != 0) {
        options += "/L";  // other programs still use it
        return 0;
    }
    using A = SharedFileAnswer;
    if (run.sharedAnswer != A::DeleteAll && run.sharedAnswer != A::KeepAll)
        run.sharedAnswer = run.view.AskSharedFile(SharedFileQuestion(path));
    if (run.sharedAnswer == A::DeleteAll || run.sharedAnswer == A::Yes) return ShellDeleteFile(path);
    // No, KeepAll, or a dialog closed some other way: keeping the file is the safe answer.
    options += "/L";
    return 0;
}

// refused: the entry's path is one the uninstaller never deletes (IsRefusedLogPath).
void DeleteOne(Removal& run, const std::string& value, bool refused, bool report, const SharedCountNames& counted) {
    const std::string path = GetField(value, ",", 1);
    std::string options = GetField(value, ",", 2);
    if (path.empty()) return;
    // The log goes last, with the entry that starts the removal again should this one be cut short.
    if (report && SameText(path, run.logPath)) {
        run.logListed = true;
        return;
    }
    const auto refuse = [&] {
        run.status.AddFailure("<File> " + path + "\r\n" + SystemErrorText(ERROR_ACCESS_DENIED) + "\r\n");
    };
    // A log in a writable folder may have been changed: never delete system folders for it.
    if (refused) return refuse();
    const unsigned long count = counted.Read(path);
    const bool lowered =
        !run.lowered.empty() && HasSharedMark(options) && run.lowered.count(MapString(path, kMapUpperCase));
    const FileAction action =
        lowered ? FileAction::LowerShared : DecideFileAction(count, options, path, run.upperWindows, run.upperSystem);
    // Nearly every entry: a plain file, gone with one call, which no folder survives.
    if (action == FileAction::Delete && DeleteIfPlainFile(path)) return;
    // The install run logs only files here, so a folder (a log cut off mid-path, say) is
    // refused too rather than deleted with everything in it.
    if (report && NamesFolder(path)) return refuse();
    unsigned long result = 0;
    switch (action) {
        case FileAction::LowerShared: result = LowerShared(run, path, options, lowered, count); break;
        case FileAction::KeepShared:
        case FileAction::Keep:
            if (!ContainsText("/L", options)) options += "/L";
            break;
        case FileAction::AskCaution:
        case FileAction::AskComponent: {
            const bool caution = ContainsText("/C", options) != 0;
            if (AskYesNo(run, caution ? CautionQuestion(path) : ComponentQuestion(path)))
                result = ShellDeleteFile(path);
            else options += "/L";
            break;
        }
        case FileAction::Delete:  // a plain delete has already failed above
            result = ShellDeleteRest(path);
            break;
    }
    std::string note;
    // A plain file whose delete succeeded is gone; asking again would scan its whole folder.
    const bool gone = result == 0 && !ContainsText("/L", options) && !HasWildcard(path);
    if (!gone && !ContainsText("/L", options) && FileExists(path)) {
        if (result == 0) result = ERROR_ACCESS_DENIED;
        if (ContainsText("/F", options)) {
            ReportRestartFailure(run.view, DeleteFileAtRestart(path));
            note = kRestartNote;
            if (report) ++run.leftForRestart;
        }
    }
    if (report && Reported(run, result))
        run.status.AddFailure("<File> " + path + "\r\n" + SystemErrorText(result) + note + "\r\n");
}

void DeleteListed(Removal& run, const std::vector<std::string>& values, bool report, const SharedCountNames& counted) {
    // Every entry is judged before the first delete, so that the deletes follow each other
    // as closely as in a plain loop: judging between them measured slower.
    std::vector<char> refused;
    refused.reserve(values.size());
    for (const std::string& value : values) refused.push_back(IsRefusedLogPath(GetField(value, ",", 1)));
    for (std::size_t i = 0; i < values.size(); ++i) DeleteOne(run, values[i], refused[i] != 0, report, counted);
}

}  // namespace

void DeleteFiles(Removal& run) {
    BeginStep(run, "ファイルの" + run.context.unSetupString + "処理．．．");
    SetCurrentDirectory932(FolderMacros().Get("(Tmp)").c_str());
    run.upperWindows = MapString(FolderMacros().Get("(Win)"), kMapUpperCase);
    run.upperSystem = MapString(FolderMacros().Get("(Sys)"), kMapUpperCase);
    const SharedCountNames counted;
    DeleteListed(run, LogList("DeleteFile", "File"), true, counted);
    DeleteListed(run, LogList("AddDeleteFile", "File"), false, counted);
}
