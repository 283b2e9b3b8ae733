#pragma once
// TfrmCustomDlg: the four-way question about deleting a shared file.
#include "windows/form_win.h"
#include "windows/run_view.h"

class TfrmCustomDlg : public Form {
public:
    TfrmCustomDlg();
    void Create(HWND owner);
    // Shows the question modally and returns the answer; No when it is closed otherwise.
    SharedFileAnswer Ask(const std::string& message);

protected:
    void FormActivate() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    bool focusPending_ = false;
    SharedFileAnswer answer_ = SharedFileAnswer::No;
};

TfrmCustomDlg& frmCustomDlg();
