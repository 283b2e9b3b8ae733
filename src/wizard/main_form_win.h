#pragma once
// TfrmMain: the wizard window. Start-up runs on its first activation.
#include "windows/form_win.h"

class TfrmBack;

class TfrmMain : public Form {
public:
    TfrmMain();
    void Create(HWND owner);

protected:
    void FormActivate() override;
    bool FormCloseQuery() override;
    void FormClose() override;

private:
    void ShowPanels(bool title, bool readme, bool main);
    void EnterFatalState();
    void btnEndClick();

    bool welcomePending_ = false;
    bool eulaPending_ = false;
    bool readmePending_ = false;
    bool mainPagePending_ = false;
    bool checkerDone_ = false;
};

TfrmMain& frmMain();
