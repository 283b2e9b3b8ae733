#pragma once
// The pages a run shows in the main window at its end: one panel at a time, and a wait
// until the panel's button handler disables the button.
#include <string>

#include "windows/form_win.h"
#include "windows/win_reboot_win.h"

// A run's pages use one button: the other goes and this one moves to the middle.
void CenterRunButton(Form& main, bool roundHalfUp);
// Hides every page panel of the main window except panel (nullptr hides them all).
void ShowOnlyPanel(Form& main, const char* panel);
// Polls every interval until the control is disabled (its click handler does that) or the window is gone.
void WaitUntilDisabled(Form& form, const std::string& control, unsigned interval);

// The final page's texts: the message and one or two choices (an empty second one is hidden).
struct FinalChoice {
    std::string message;
    std::string choice1;
    std::string choice2;
    std::string button;
};
// Shows the final page in place of the status window and waits for its button; true when
// the second choice was taken. Both windows are hidden afterwards.
bool AskFinalChoice(Form& main, Form& status, const FinalChoice& page);
// The final page of an unattended run: nobody chooses, no program is started, and Windows
// restarts only when it must and /forcerestart asks for it.
// The failure report goes to the run log in place of the details page.
void FinishUnattended(TWinReboot& reboot, const std::string& failureReport, int failures, bool restartNeeded);
// Reports a file that could not be left to the restart (a Win32 error, 0 for none).
void ReportRestartFailure(unsigned long error);
// Shows the failure report on the text page, waits for "続行(&C)", then returns to the status window.
// scrollBar: the page gets its vertical scroll bar; else it keeps the bars the readme gave it.
void ShowFailureReport(Form& main, Form& status, const std::string& caption, const std::string& report, bool scrollBar);
