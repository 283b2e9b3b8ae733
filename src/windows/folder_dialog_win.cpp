#include "windows/folder_dialog_win.h"

#include <shlobj.h>

#include "system_files_win.h"
#include "system_windows_win.h"

namespace {

UINT FlagFor(TFolderDlgOption option) {
    switch (option) {
        case TFolderDlgOption::bifBrowseForComputer: return BIF_BROWSEFORCOMPUTER;
        case TFolderDlgOption::bifBrowseForPrinter: return BIF_BROWSEFORPRINTER;
        case TFolderDlgOption::bifDontGoBelowDomain: return BIF_DONTGOBELOWDOMAIN;
        case TFolderDlgOption::bifReturnFSAncestors: return BIF_RETURNFSANCESTORS;
        case TFolderDlgOption::bifReturnOnlyFSDirs: return BIF_RETURNONLYFSDIRS;
        case TFolderDlgOption::bifStatusText: return BIF_STATUSTEXT;
    }
    return 0;
}

}  // namespace

bool TFolderDialog::BrowseFolder(HWND owner) {
    char buffer[MAX_PATH + 1] = {};
    BROWSEINFOA info{};
    info.hwndOwner = owner;
    info.pszDisplayName = buffer;
    info.lpszTitle = Title.c_str();
    for (TFolderDlgOption option : Option) info.ulFlags |= FlagFor(option);
    info.lParam = callbackData_;
    LPITEMIDLIST item = SHBrowseForFolder932(&info);
    if (!item) return false;
    // A chosen item without a path (the desktop's virtual folders) is no folder: its
    // display name, which the buffer holds meanwhile, must not pass for one.
    const bool isFolder = GetPathFromIDList932(item, buffer) != FALSE;
    CoTaskMemFree(item);
    if (!isFolder) return false;
    folder_ = buffer;
    callbackData_ = info.lParam;
    image_ = info.iImage;
    return true;
}
