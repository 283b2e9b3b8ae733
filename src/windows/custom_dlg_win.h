#pragma once
// TfrmCustomDlg: the four-way question about deleting a shared file. The answer word goes
// into the main window's hidden label lblFormShare.
#include "windows/form_win.h"

class TfrmCustomDlg : public Form {
public:
    TfrmCustomDlg();
    // shareForm: the window whose hidden label lblFormShare carries the answer.
    void Create(HWND owner, Form& shareForm);
    // Shows the question modally and returns the answer word ("Yes", "No", "Delete", "Save").
    std::string Ask(const std::string& message);

protected:
    void FormActivate() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Answer(const char* word);

    bool focusPending_ = false;
    Form* shareForm_ = nullptr;
};

TfrmCustomDlg& frmCustomDlg();
