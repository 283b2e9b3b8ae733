#pragma once
// Files replaced or deleted at the next Windows start: the WININIT.INI text edit of the 95 platform.
#include <string>

// Inserts line into the [Rename] section of a WININIT.INI text (CR LF lines): before the
// first empty line met inside that section, else at the end. Duplicate keys are kept,
// which is why the file is edited as text.
std::string InsertRenameLine(const std::string& wininitText, const std::string& line);

// Where path goes on after the system folder (at its backslash) when a 32-bit program on
// 64-bit Windows is redirected there to the 32-bit system folder; null when it is not. A move
// at the next start must name the 32-bit folder itself: that start's moves are carried out by
// 64-bit code, for which system32 is the 64-bit folder. systemFolder ends in a backslash; its
// name and the folders Windows shares with 32-bit programs (spool, drivers\etc...) are ASCII.
const char* RedirectedSystemPath(const char* path, const char* systemFolder);
