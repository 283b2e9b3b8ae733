#pragma once
// How a run shows its progress and asks its questions. The windows, an unattended run and
// the tests each answer through this; a run never touches a window itself.
#include <string>

#include "engine/unattended_win.h"

enum class RunKind { Install, Uninstall };

// Yes and No answer for one file, DeleteAll and KeepAll for this one and every one after it.
enum class SharedFileAnswer { Yes, No, DeleteAll, KeepAll };

// The final page's texts: the message and one or two choices (an empty second one is hidden).
struct FinalChoice {
    std::string message;
    std::string choice1;
    std::string choice2;
    std::string button;
};

// The choice taken on the final page; nobody chooses in an unattended run.
enum class FinalAnswer { First, Second, NobodyAsked };

// What a run leaves for its end.
struct RunSummary {
    std::string failureReport;
    int failures = 0;  // failed items, not counting files left for the restart
    bool restartNeeded = false;
};

class RunView {
public:
    virtual ~RunView() = default;

    // The progress window takes the wizard's place; unSetupString is the removal's word that
    // the abort question names.
    virtual void Begin(RunKind kind, const std::string& unSetupString) = 0;
    // log: the run's progress text of whole lines; text: what is shown, the log and the entry under way.
    virtual void ShowText(const std::string& log, const std::string& text) = 0;
    // The copy step's bar and count below the text.
    virtual void ShowProgressBar(bool shown) = 0;
    virtual void ShowProgress(int percent, int done, int total) = 0;
    // Whether the user may stop the run (a run allows it once it has a log to leave).
    virtual void AllowAbort(bool allowed) = 0;
    virtual bool Stopped() const = 0;

    // A message box: IDOK ... IDNO. fixed is the answer when nobody is there to ask.
    virtual int Ask(const std::string& text, const std::string& caption, unsigned flags,
                    const FixedAnswer& fixed = {}) = 0;
    virtual SharedFileAnswer AskSharedFile(const std::string& question) = 0;
    // Asks for disk number until source is there; false when the user gives up.
    virtual bool AskForDisk(int number, const std::string& source) = 0;
    // The failure report on a page of its own, until the user goes on.
    virtual void ShowFailureReport(const std::string& caption, const std::string& report, bool scrollBar) = 0;
    // The progress text's last words are read: the user moves on with "次へ(&N)".
    virtual void WaitForNext() = 0;
    // The final page. An unattended run logs the summary instead, and restarts Windows only
    // when it must and /forcerestart asks for it.
    virtual FinalAnswer Finish(const FinalChoice& page, const RunSummary& summary) = 0;
    // The windows as they were before the run, and the wizard ends.
    virtual void End() = 0;
    // After a fatal stop: the wizard ends where it stands.
    virtual void Abandon() = 0;
};

// Reports a file that could not be left to the restart (a Win32 error, 0 for none).
void ReportRestartFailure(RunView& view, unsigned long error);
