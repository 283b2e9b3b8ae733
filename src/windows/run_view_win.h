#pragma once
// The runs' views on Windows: the status window with the wizard's end pages, and the same
// windows in an unattended run, where nobody is asked and every answer goes to the run log.
#include <string>

#include "windows/custom_dlg_win.h"
#include "windows/form_win.h"
#include "windows/run_view.h"
#include "windows/status_form_win.h"
#include "windows/win_reboot_win.h"

class WindowRunView : public RunView {
public:
    // main: the wizard window, whose pages end a run; back: the backdrop behind every window.
    WindowRunView(Form& main, TfrmStatus& status, Form& back, TfrmCustomDlg& question)
        : main_(main), status_(status), back_(back), question_(question) {}

    void Begin(RunKind kind, const std::string& unSetupString) override;
    void ShowText(const std::string& log, const std::string& text) override;
    void ShowProgressBar(bool shown) override { status_.ShowProgressBar(shown); }
    void ShowProgress(int percent, int done, int total) override { status_.ShowProgress(percent, done, total); }
    void AllowAbort(bool allowed) override { status_.AllowAbort(allowed); }
    bool Stopped() const override { return status_.Stopped(); }
    int Ask(const std::string& text, const std::string& caption, unsigned flags, const FixedAnswer& fixed) override;
    SharedFileAnswer AskSharedFile(const std::string& question) override { return question_.Ask(question); }
    bool AskForDisk(int number, const std::string& source) override;
    void ShowFailureReport(const std::string& caption, const std::string& report, bool scrollBar) override;
    void WaitForNext() override { status_.WaitForNext(); }
    FinalAnswer Finish(const FinalChoice& page, const RunSummary& summary) override;
    void End() override;
    void Abandon() override;

private:
    // The wizard window with one page panel in place of the status window, until btnEvent
    // (captioned button) is pressed.
    void ShowPageUntilPressed(const char* panel, const std::string& button);

    Form& main_;
    TfrmStatus& status_;
    Form& back_;
    TfrmCustomDlg& question_;
};

// /passive shows the progress as it goes, /quiet keeps every window hidden: either way the
// questions take their fixed answers and the run log gets the progress text.
class UnattendedRunView : public WindowRunView {
public:
    UnattendedRunView(Form& main, TfrmStatus& status, Form& back, TfrmCustomDlg& question, TWinReboot& reboot)
        : WindowRunView(main, status, back, question), reboot_(reboot) {}

    void ShowText(const std::string& log, const std::string& text) override;
    int Ask(const std::string& text, const std::string& caption, unsigned flags, const FixedAnswer& fixed) override;
    SharedFileAnswer AskSharedFile(const std::string& question) override;
    bool AskForDisk(int number, const std::string& source) override;
    void WaitForNext() override {}  // nobody is there to press it
    FinalAnswer Finish(const FinalChoice& page, const RunSummary& summary) override;

private:
    TWinReboot& reboot_;
};
