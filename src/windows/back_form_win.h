#pragma once
// TfrmBack: the full-screen backdrop; it owns the program's lifetime.
#include "windows/form_win.h"

class TfrmBack : public Form {
public:
    TfrmBack();
    void Create();

protected:
    void FormResize() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    bool started_ = false;
};

TfrmBack& frmBack();
