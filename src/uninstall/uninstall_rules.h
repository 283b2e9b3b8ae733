#pragma once
// The uninstall run's decisions: how each logged file goes, which patterns clean the
// folders, and which log entries are refused because they would harm the system.
#include <string>

enum class FileAction {
    LowerShared,   // shared and marked "/S": one user less; delete only when none is left (after asking)
    KeepShared,    // still counted by other programs: stays
    AskCaution,    // "/C": the user decides
    Keep,          // "/L": stays
    AskComponent,  // an unshared component in the Windows or System folder: the user decides
    Delete,
};
FileAction DecideFileAction(unsigned long sharedCount, const std::string& options, const std::string& path,
                            const std::string& windowsFolder, const std::string& systemFolder);

// A path or key from the log that an honest installation never lists: a drive or share root,
// the Windows or System folder themselves or a folder holding them, wildcards directly inside
// any of these, a relative path, a registry root or a key less than two levels below its root. Paths are compared after
// the caller has made them full (no "..").
bool IsRefusedPath(const std::string& fullPath, const std::string& windowsFolder, const std::string& systemFolder);
bool IsRefusedRegistryKey(const std::string& keyPath);

// A log [DeleteRegistry] key: untagged when the first character is not "(" or the seventh not ")".
struct LogRegistryKey {
    std::string rootTag;
    std::string path;
};
LogRegistryKey SplitLogRegistryKey(const std::string& text);

// Whether the install folder is one that must stay: a drive root or one of the system's folders.
bool IsProtectedInstallFolder(const std::string& folder);

// Texts of the run.
std::string SharedFileQuestion(const std::string& path);
std::string CautionQuestion(const std::string& path);
std::string ComponentQuestion(const std::string& path);
constexpr const char* kRestartNote = "(追加情報)このファイルはWindowsの再起動後に削除が試行されます。\r\n";
std::string InstallFolderBlock(const std::string& folder, unsigned long result, const std::string& errorText,
                               const std::string& setupString, bool deleteAll);
