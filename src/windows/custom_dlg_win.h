#pragma once
// TfrmCustomDlg: the four-way question about deleting a shared file. The answer word goes
// into the main window's hidden label lblFormShare.
#include "windows/form_win.h"

class TfrmCustomDlg : public Form {
public:
    TfrmCustomDlg();
    void Create(HWND owner);
    // Shows the question modally and returns the answer word ("Yes", "No", "Delete", "Save").
    std::string Ask(const std::string& message);

protected:
    void FormActivate() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Answer(const char* word);

    bool focusPending_ = false;
};

TfrmCustomDlg& frmCustomDlg();
