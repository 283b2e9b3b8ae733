// Shortcuts and their emptied folders, logged folders, registry keys, associations and
// the Add/Remove Programs entry.
#include <windows.h>

#include "engine/file_delete_win.h"
#include "engine/journal.h"
#include "engine/messages_win.h"
#include "engine/paths.h"
#include "engine/registry_win.h"
#include "engine/strings.h"
#include "uninstall/uninstall_rules.h"
#include "uninstall/removal_win.h"
#include "owned_win.h"
#include "system_files_win.h"

namespace {

// The shell's own folders stay even when the last shortcut in them goes.
bool IsShellFolder(const std::string& folder) {
    for (const char* token : {"(Sta)", "(Dsk)", "(Sup)", "(Sen)", "(C_Sta)", "(C_Dsk)", "(C_Sup)"})
        if (folder == FolderMacros().Get(token)) return true;
    return false;
}

bool KeyExists(HKEY root, const std::string& path) {
    OwnedKey key;
    return RegOpenKeyEx932(root, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

}  // namespace

void DeleteShortcuts(Removal& run) {
    BeginStep(run, "ショートカットの" + run.context.unSetupString + "処理．．．");
    for (const std::string& path : LogList("DeleteShortCut", "File")) {
        if (IsRefusedLogPath(path)) {
            run.status.AddFailure("<ShortCut> " + path + "\r\n" + SystemErrorText(ERROR_ACCESS_DENIED) + "\r\n");
            continue;
        }
        const unsigned long result = ShellDeleteFile(path);
        if (Reported(run, result))
            run.status.AddFailure("<ShortCut> " + path + "\r\n" + SystemErrorText(result) + "\r\n");
        const std::string folder = AddPathDelimiter(FolderOfPath(path), "B");
        // Only an emptied folder goes; one that still holds something stays without a word.
        if (!IsShellFolder(folder) && !IsRefusedLogPath(folder)) (void)RemoveFolderWithPatterns(folder, "");
    }
}

void DeleteFolders(Removal& run) {
    BeginStep(run, "フォルダの" + run.context.unSetupString + "処理．．．");
    const std::vector<std::string> folders = LogList("DeleteFolder", "Folder");
    // Last listed first, so a folder made inside another goes before it.
    for (auto it = folders.rbegin(); it != folders.rend(); ++it) {
        const std::string& folder = *it;
        unsigned long result;
        if (IsRefusedLogPath(folder)) {
            result = ERROR_ACCESS_DENIED;
        } else if (SameText(AddPathDelimiter(folder, "B"), run.installFolder)) {
            continue;  // it still holds the log, which goes last: the last step removes it
        } else if (ContainsText(run.installFolder, folder)) {
            result = RemoveFolderWithPatterns(folder, run.context.choices.patterns);
            if (run.context.choices.deleteAll) result = 0;  // the install folder step empties everything anyway
        } else {
            result = RemoveFolderWithPatterns(folder, "");  // only an empty folder goes
        }
        if (Reported(run, result))
            run.status.AddFailure("<Folder> " + folder + "\r\n" + SystemErrorText(result) + "\r\n");
    }
}

void DeleteRegistryKeys(Removal& run) {
    BeginStep(run, "レジストリの" + run.context.unSetupString + "処理．．．");
    for (const std::string& value : LogList("DeleteRegistry", "Key")) {
        const LogRegistryKey key = SplitLogRegistryKey(value);
        if (IsRefusedRegistryKey(key.path)) {
            run.status.AddFailure("<Registry> " + value + "\r\n" + SystemErrorText(ERROR_ACCESS_DENIED) + "\r\n");
            continue;
        }
        DeleteRegistryKey(key.rootTag, key.path);
    }
}

void RestoreAssociations(Removal& run) {
    BeginStep(run, "関連付けの" + run.context.unSetupString + "処理．．．");
    for (const std::string& value : LogList("RestoreRelate", "Key")) {
        const std::string extension = GetField(value, ",", 1);
        // An extension that is empty or a path would make the keys below name other classes.
        if (extension.empty() || extension.find('\\') != std::string::npos) continue;
        const std::size_t comma = value.find(',');
        std::string previous = comma == std::string::npos ? "" : value.substr(comma + 1);
        const std::string key = "." + extension;
        if (KeyExists(HKEY_CLASSES_ROOT, key) && !previous.empty()) {
            OwnedKey handle;
            if (RegOpenKeyEx932(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_SET_VALUE, handle.put()) == ERROR_SUCCESS) {
                RegSetValueEx932(handle.get(), "", REG_SZ, reinterpret_cast<const BYTE*>(previous.c_str()),
                                 static_cast<DWORD>(previous.size() + 1));
            }
        } else {
            previous.clear();
        }
        if (previous.empty()) DeleteRegistryKey("(Class)", key);
        if (!SameText(previous, extension + "_auto_file")) DeleteRegistryKey("(Class)", extension + "_auto_file");
    }
}

void DeleteUninstallEntry(Removal& run) {
    BeginStep(run, "「プログラム(アプリケーション)の追加と削除」の処理．．．");
    const std::string key = LogValue("UnSetupRegistryKey", "Key");
    if (key.empty()) return;
    // Only an entry of the program list: a changed log must not name any other key.
    const std::string root = kUninstallKeyRoot;
    const std::string name = key.size() > root.size() ? RemovePathDelimiter(key.substr(root.size()), "T") : "";
    if (!SameText(LeftStr(key, static_cast<int>(root.size())), root) || name.empty()) {
        run.status.AddFailure("<Registry> (Local)" + key + "\r\n" + SystemErrorText(ERROR_ACCESS_DENIED) + "\r\n");
        return;
    }
    DeleteRegistryKey("(Local)", key);
}

void DeleteLog(Removal& run) {
    if (run.logListed) {
        const unsigned long result = ShellDeleteFile(run.logPath);
        if (Reported(run, result))
            run.status.AddFailure("<File> " + run.logPath + "\r\n" + SystemErrorText(result) + "\r\n");
    }
    run.journal.Remove();
    // What an installation cut short recorded goes with the product: a later installation into
    // the folder must not take over counts that this removal has settled.
    DeleteFile932(InstallJournalPath(FolderMacros().Get("(Win)"), run.installFolder).c_str());
}
