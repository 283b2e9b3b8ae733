#pragma once
// The program's one register of files it holds open against other programs until it ends.
#include <string>

#include "owned_win.h"

// Copies a file and holds the copy open against writing, renaming and deleting until
// ReleaseHeldFiles, once it is known to hold the source's bytes: any program of the user may
// write the temporary folder, and nothing read back from there may be another's. 0, or the
// error of the copy or of opening it; ERROR_FILE_CORRUPT when the copy differs.
[[nodiscard]] unsigned long CopyAndHold(const std::string& source, const std::string& copy);
// Holds an open file until ReleaseHeldFiles: what the program unpacked and checked stays as checked.
void HoldFile(OwnedHandle file);
// Lets every held file go, before they are deleted at the end.
void ReleaseHeldFiles();
