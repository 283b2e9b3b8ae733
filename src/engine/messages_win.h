#pragma once
// The application's message box, system error texts and message pumping.
#include <windows.h>

#include <string>

#include "engine/unattended_win.h"

// Window that owns message boxes and shell operations (the background window once it exists).
HWND ApplicationWindow();
void SetApplicationWindow(HWND window);

// In an unattended run no box appears: the fixed answer is taken and logged with its reason.
int ShowMessageBox(const std::string& text, const std::string& caption, unsigned flags, const FixedAnswer& fixed = {});
std::string SystemErrorText(unsigned long code);

// Dispatches one message, giving Tab, Enter and accelerator keys to the window's controls.
void DispatchWithDialogKeys(MSG& msg);
// Lets pending window messages be handled; returns false once WM_QUIT was seen (it is re-posted).
bool ProcessMessages();
// Waits for the handle while handling window messages, without spinning the processor.
void WaitWithMessages(HANDLE handle);
// Sleeps about the given time while handling window messages.
void PauseWithMessages(unsigned milliseconds);
// From now on a pause only handles the messages waiting: in a run nobody watches (/quiet),
// the pauses that pace what the windows show would only make it slower.
void SkipPauses();
