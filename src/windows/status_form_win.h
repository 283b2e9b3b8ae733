#pragma once
// TfrmStatus: the progress window of the install and uninstall runs.
#include <string>

#include "windows/form_win.h"

// How a step of a run came out, as its line in the progress text ends.
enum class StepResult {
    Pending,  // no step begun yet
    Done,
    DoneAfterDots,  // a step that draws its own dots while it works
    Nothing,        // nothing to do
    Failed,
    CreateFailed,  // the install folder could not be made
    PartFailed,
    Locked,  // a file in use is replaced at the restart
    PartFailedLocked,
    SpaceShort,   // the free space looks too small
    SpaceUnknown  // the free space could not be asked
};
// The word that ends a step's line.
const char* StepResultWord(StepResult result);

// What a run has done so far; the status window shows it.
struct RunStatus {
    std::string StatusLog;  // the whole progress text
    StepResult StepStatus = StepResult::Pending;
    std::string FailureReport;  // one block per failed item
    int FailureCount = 0;

    // One failed item: its block, the count, and the step's result.
    void AddFailure(const std::string& block) {
        FailureReport += block;
        ++FailureCount;
        StepStatus = StepResult::PartFailed;
    }
    // The progress text gains the line's end: the step's result and a line break.
    void EndStepLine() { StatusLog += std::string(StepResultWord(StepStatus)) + "\r\n"; }
};
RunStatus& RunState();

class TfrmStatus : public Form {
public:
    TfrmStatus();
    // runForm: the window whose button started the run; an abort disables it and ends its modal display.
    void Create(HWND owner, Form& runForm);
    // The uninstall action word that the abort question names.
    void SetUnSetupString(const std::string& word) { unSetupString_ = word; }

    // Ends the current step with its result and begins the next one.
    void BeginStep(const std::string& text, StepResult initial);
    // Shows StatusLog and lets the window repaint.
    void ShowLog();
    // Shows this progress text in place of StatusLog and lets the window repaint.
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
