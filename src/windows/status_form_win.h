#pragma once
// TfrmStatus: the progress window of the runs.
#include "windows/form_win.h"

class TfrmStatus : public Form {
public:
    TfrmStatus();
    void Create(HWND owner);
};

TfrmStatus& frmStatus();
