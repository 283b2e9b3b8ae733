#pragma once
// TfrmCustomDlg: the question about deleting a shared file.
#include "windows/form_win.h"

class TfrmCustomDlg : public Form {
public:
    TfrmCustomDlg();
    void Create(HWND owner);
};

TfrmCustomDlg& frmCustomDlg();
