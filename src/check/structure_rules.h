#pragma once
// Findings about the script's shape: sections and keys setup never reads.
#include "check/findings.h"
#include "check/script_file.h"

// Unknown or repeated sections and keys (with the nearest known name), numbered lists with a gap.
void CheckStructure(const ScriptFile& script, Findings& findings);
