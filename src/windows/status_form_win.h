#pragma once
// TfrmStatus: the progress window of the install and uninstall runs.
#include <string>

#include "windows/form_win.h"

// What a run has done so far; the status window shows it.
struct RunStatus {
    std::string StatusLog;      // the whole progress text
    std::string StepStatus;     // result word of the step under way
    std::string FailureReport;  // one block per failed item
    int FailureCount = 0;

    // One failed item: its block, the count, and the step's result word.
    void AddFailure(const std::string& block) {
        FailureReport += block;
        ++FailureCount;
        StepStatus = "一部失敗";
    }
};
RunStatus& RunState();

class TfrmStatus : public Form {
public:
    TfrmStatus();
    // runForm: the window whose button started the run; an abort disables it and ends its modal display.
    void Create(HWND owner, Form& runForm);
    // The uninstall action word that the abort question names.
    void SetUnSetupString(const std::string& word) { unSetupString_ = word; }

    // Ends the current step with its result word and begins the next one.
    void BeginStep(const std::string& text, const std::string& initialWord);
    // Shows StatusLog and lets the window repaint.
    void ShowLog();
    // The copy progress: bar position and "40%(4/10)".
    void ShowProgress(int percent, int done, int total);
    // Turns the button into "次へ(&N)" and waits, handling messages, until it is pressed.
    void WaitForNext();

private:
    void btnAbortClick();
    void AbortRun();

    Form* runForm_ = nullptr;
    std::string unSetupString_ = "アンインストール";
};

TfrmStatus& frmStatus();
