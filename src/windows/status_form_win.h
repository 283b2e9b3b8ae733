#pragma once
// TfrmStatus: the progress window of the install and uninstall runs.
#include <string>

#include "windows/form_win.h"

class TfrmStatus : public Form {
public:
    TfrmStatus();
    // runForm: the window whose button started the run; an abort disables it and ends its modal display.
    void Create(HWND owner, Form& runForm);
    // The uninstall action word that the abort question names.
    void SetUnSetupString(const std::string& word) { unSetupString_ = word; }

    // Shows the progress text and lets the window repaint.
    void ShowText(const std::string& text);
    // The copy step's bar and count below the text.
    void ShowProgressBar(bool shown) { SetVisible("fraStatus", shown); }
    // Whether the button may stop the run (a run allows it once it has a log to leave).
    void AllowAbort(bool allowed) { SetEnabled("btnAbort", allowed); }
    // The copy progress: bar position and "40%(4/10)".
    void ShowProgress(int percent, int done, int total);
    // Turns the button into "次へ(&N)" and waits, handling messages, until it is pressed.
    void WaitForNext();
    // Whether the user has stopped the run with the abort button.
    bool Stopped() const { return stopped_; }

private:
    void btnAbortClick();
    void AbortRun();

    enum class ButtonRole { Abort, Next };
    ButtonRole buttonRole_ = ButtonRole::Abort;
    bool stopped_ = false;
    bool nextPressed_ = false;
    Form* runForm_ = nullptr;
    std::string unSetupString_ = "アンインストール";
};

TfrmStatus& frmStatus();
