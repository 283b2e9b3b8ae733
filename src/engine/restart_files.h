#pragma once
// Files replaced or deleted at the next Windows start: the WININIT.INI text edit of the 95 platform.
#include <string>

// Inserts line into the [Rename] section of a WININIT.INI text (CR LF lines): before the
// first empty line met inside that section, else at the end. Duplicate keys are kept,
// which is why the file is edited as text.
std::string InsertRenameLine(const std::string& wininitText, const std::string& line);
