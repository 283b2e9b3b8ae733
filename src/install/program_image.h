#pragma once
// Whether a file is a whole setup program: an uninstaller cut short by a crash during its
// copy looks newer than any other, and would otherwise be kept for ever.
#include <string>

// A PE image whose headers, sections and certificate table all lie inside the bytes, and that
// carries this program's single-copy name.
bool IsWholeSetupProgram(const std::string& bytes);
