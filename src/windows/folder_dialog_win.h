#pragma once
// TFolderDialog: the shell's folder browser, owned by a window.
#include <windows.h>

#include <set>
#include <string>

enum class TFolderDlgOption {
    bifBrowseForComputer,
    bifBrowseForPrinter,
    bifDontGoBelowDomain,
    bifReturnFSAncestors,
    bifReturnOnlyFSDirs,
    bifStatusText,
};

class TFolderDialog {
public:
    explicit TFolderDialog(std::string title) : Title(std::move(title)) {}

    // True when the user chose a folder; Folder() then holds its path.
    bool BrowseFolder(HWND owner);
    const std::string& Folder() const { return folder_; }

    std::string Title;
    std::set<TFolderDlgOption> Option = {TFolderDlgOption::bifReturnOnlyFSDirs};

private:
    LPARAM callbackData_ = 0;
    int image_ = 0;
    std::string folder_;
};
