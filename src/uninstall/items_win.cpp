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
#include "uninstall/uninstall_run_win.h"
#include "owned_win.h"

namespace {

// The shell's own folders stay even when the last shortcut in them goes.
bool IsShellFolder(const std::string& folder) {
    for (const char* token : {"(Sta)", "(Dsk)", "(Sup)", "(Sen)", "(C_Sta)", "(C_Dsk)", "(C_Sup)"})
        if (folder == FolderMacros().Get(token)) return true;
    return false;
}

bool KeyExists(HKEY root, const std::string& path) {
    OwnedKey key;
    return RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

}  // namespace

void UninstallRun::DeleteShortcuts() {
    BeginStep("ショートカットの" + context_.unSetupString + "処理．．．");
    for (const std::string& path : LogList("DeleteShortCut", "File")) {
        if (IsRefusedLogPath(path)) {
            status_.AddFailure("<ShortCut> " + path + "\r\n" + SystemErrorText(ERROR_ACCESS_DENIED) + "\r\n");
            continue;
        }
        const unsigned long result = ShellDeleteFile(path);
        if (Reported(result)) status_.AddFailure("<ShortCut> " + path + "\r\n" + SystemErrorText(result) + "\r\n");
        const std::string folder = AddPathDelimiter(FolderOfPath(path), "B");
        // Only an emptied folder goes; one that still holds something stays without a word.
        if (!IsShellFolder(folder) && !IsRefusedLogPath(folder)) (void)RemoveFolderWithPatterns(folder, "");
    }
}

void UninstallRun::DeleteFolders() {
    BeginStep("フォルダの" + context_.unSetupString + "処理．．．");
    const std::vector<std::string> folders = LogList("DeleteFolder", "Folder");
    // Last listed first, so a folder made inside another goes before it.
    for (auto it = folders.rbegin(); it != folders.rend(); ++it) {
        const std::string& folder = *it;
        unsigned long result;
        if (IsRefusedLogPath(folder)) {
            result = ERROR_ACCESS_DENIED;
        } else if (SameText(AddPathDelimiter(folder, "B"), installFolder_)) {
            continue;  // it still holds the log, which goes last: the last step removes it
        } else if (ContainsText(installFolder_, folder)) {
            result = RemoveFolderWithPatterns(folder, context_.choices.patterns);
            if (context_.choices.deleteAll) result = 0;  // the install folder step empties everything anyway
        } else {
            result = RemoveFolderWithPatterns(folder, "");  // only an empty folder goes
        }
        if (Reported(result)) status_.AddFailure("<Folder> " + folder + "\r\n" + SystemErrorText(result) + "\r\n");
    }
}

void UninstallRun::DeleteRegistryKeys() {
    BeginStep("レジストリの" + context_.unSetupString + "処理．．．");
    for (const std::string& value : LogList("DeleteRegistry", "Key")) {
        const LogRegistryKey key = SplitLogRegistryKey(value);
        if (IsRefusedRegistryKey(key.path)) {
            status_.AddFailure("<Registry> " + value + "\r\n" + SystemErrorText(ERROR_ACCESS_DENIED) + "\r\n");
            continue;
        }
        DeleteRegistryKey(key.rootTag, key.path);
    }
}

void UninstallRun::RestoreAssociations() {
    BeginStep("関連付けの" + context_.unSetupString + "処理．．．");
    for (const std::string& value : LogList("RestoreRelate", "Key")) {
        const std::string extension = GetField(value, ",", 1);
        // An extension that is empty or a path would make the keys below name other classes.
        if (extension.empty() || extension.find('\\') != std::string::npos) continue;
        const std::size_t comma = value.find(',');
        std::string previous = comma == std::string::npos ? "" : value.substr(comma + 1);
        const std::string key = "." + extension;
        if (KeyExists(HKEY_CLASSES_ROOT, key) && !previous.empty()) {
            OwnedKey handle;
            if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_SET_VALUE, handle.put()) == ERROR_SUCCESS) {
                RegSetValueExA(handle.get(), "", 0, REG_SZ, reinterpret_cast<const BYTE*>(previous.c_str()),
                               static_cast<DWORD>(previous.size() + 1));
            }
        } else {
            previous.clear();
        }
        if (previous.empty()) DeleteRegistryKey("(Class)", key);
        if (!SameText(previous, extension + "_auto_file")) DeleteRegistryKey("(Class)", extension + "_auto_file");
    }
}

void UninstallRun::DeleteUninstallEntry() {
    BeginStep("「プログラム(アプリケーション)の追加と削除」の処理．．．");
    const std::string key = LogValue("UnSetupRegistryKey", "Key");
    if (key.empty()) return;
    // Only an entry of the program list: a changed log must not name any other key.
    const std::string root = kUninstallKeyRoot;
    const std::string name = key.size() > root.size() ? RemovePathDelimiter(key.substr(root.size()), "T") : "";
    if (!SameText(LeftStr(key, static_cast<int>(root.size())), root) || name.empty()) {
        status_.AddFailure("<Registry> (Local)" + key + "\r\n" + SystemErrorText(ERROR_ACCESS_DENIED) + "\r\n");
        return;
    }
    DeleteRegistryKey("(Local)", key);
}

void UninstallRun::DeleteLog() {
    if (logListed_) {
        const unsigned long result = ShellDeleteFile(logPath_);
        if (Reported(result)) status_.AddFailure("<File> " + logPath_ + "\r\n" + SystemErrorText(result) + "\r\n");
    }
    journal_.Remove();
    // What an installation cut short recorded goes with the product: a later installation into
    // the folder must not take over counts that this removal has settled.
    DeleteFileA(InstallJournalPath(FolderMacros().Get("(Win)"), installFolder_).c_str());
}
