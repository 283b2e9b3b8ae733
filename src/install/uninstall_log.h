#pragma once
// What an installation records for its removal, and the UNSETUP.INI text built from it.
#include <array>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

// One list of the log: this run's entries, then those carried over from the previous log.
struct UninstallList {
    std::vector<std::string> current;
    std::vector<std::string> carried;
};

struct UninstallLists {
    UninstallList folders;       // [DeleteFolder] Folder<n>
    UninstallList files;         // [DeleteFile] File<n>, path + options
    UninstallList shortcuts;     // [DeleteShortCut] File<n>
    UninstallList registryKeys;  // [DeleteRegistry] Key<n>
    UninstallList extraFiles;    // [AddDeleteFile] File<n>
};

// Previous associations to restore at removal, "extension,previous class"; slot k is Key<k>.
class RestoreRelateSlots {
public:
    // A value of a previous log: skipped when a filled slot already contains it.
    void LoadPrevious(const std::string& value);
    // Whether the first field of some slot already contains the extension.
    bool Holds(const std::string& extension) const;
    // Saves "extension,previous" in the first empty slot unless the extension is held; false when full.
    bool Save(const std::string& extension, const std::string& previous);
    const std::array<std::string, 20>& Slots() const { return slots_; }

private:
    std::array<std::string, 20> slots_;
};

struct UninstallLogContent {
    std::string unSetupTitle;
    std::string setupFolder;  // (App), with a trailing backslash
    std::string setupString;
    std::string unSetupString;
    UninstallLists lists;
    RestoreRelateSlots relations;
    std::string checkBox, checkBox3, checkBox4;  // [Extend] UnSetupOption, UnSetupCheckBox3/4
    std::string readmeFile, beforeFile;          // [BeforeUnInstall] ReadmeFile, File
    std::string registryKey;                     // the Add/Remove Programs key path
    std::string programId;
};

// A numbered log section that keeps each path once: an entry whose first comma field equals
// (ignoring case) that of an earlier line is dropped; in [DeleteFile] a dropped "/S" entry
// marks the kept line with "/S". Empty entries are skipped.
class LogSection {
public:
    LogSection(std::string header, std::string prefix, bool carriesSharedMark);
    void Add(const std::string& entry);
    std::string Text() const;

private:
    std::string header_, prefix_;
    bool sharedMark_;
    std::vector<std::string> values_;
    std::unordered_map<std::string, std::size_t> index_;  // upper-case first field -> value
};

// The whole log text, CR LF lines; progress(dots) is called as the sections are built (4 to 8 dots).
std::string BuildUninstallLog(const UninstallLogContent& content, const std::function<void(int)>& progress = {});

// The log's path in the install folder.
std::string UninstallLogPath(const std::string& installFolder);
// A title with "Setup Only." leaves no log and no Add/Remove Programs entry.
bool IsSetupOnly(const std::string& unSetupTitle);
