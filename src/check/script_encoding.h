#pragma once
// Whether the script's bytes are what the system reads: Shift-JIS text with CR LF line ends.
#include <string>

#include "check/findings.h"

// Adds the encoding findings; false when the text cannot be read as a script at all (UTF-16).
bool CheckScriptEncoding(const std::string& bytes, Findings& findings);
