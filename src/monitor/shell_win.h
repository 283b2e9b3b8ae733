#pragma once
// Small services of the system the monitor's window uses.
#include <windows.h>

#include <string>

// Writes OUTPUT.DAT in the output folder through a temporary file that then
// replaces it, so a reader never sees a half-written file.
bool FileOutPut(const std::string& globalIP, const std::string& localIP, const std::string& hostName);

// The folder the user picks, or the empty text when cancelled.
std::string BrowseForFolder(HWND owner, const char* title, const std::string& initialFolder);

// Plays a click file that lies beside the program, without waiting for it.
void SoundPlay_Proc(const char* fileName);

void SetTopMost(HWND window);
void ClearTopMost(HWND window);

// Brings the window of an instance already running to the front; false when there is none.
bool ActivatePrevInstance(const char* windowClass, const char* title);
