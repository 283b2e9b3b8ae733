#pragma once
// Findings about single entries: what the install run would skip, garble or do otherwise
// than the distributor meant. The folder macros must be set for the sample machine.
#include <vector>

#include "check/copy_sources.h"
#include "check/findings.h"
#include "check/script_file.h"

void CheckCopyFiles(const std::vector<CopySource>& sources, Findings& findings);
void CheckRegistry(const ScriptFile& script, Findings& findings);
void CheckShortcuts(const ScriptFile& script, Findings& findings);
void CheckRelate(const ScriptFile& script, Findings& findings);
void CheckIniFiles(const ScriptFile& script, Findings& findings);

// The system's INI functions drop longer values (measured: Wine's write gives up above 32 KiB).
constexpr std::size_t kIniValueLimit = 32767;
