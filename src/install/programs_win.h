#pragma once
// Starting a program without waiting: through the shell's "open", or as a new process.
#include <string>

// Always 0; a failure is shown to the user.
int RunByShell(const std::string& file, const std::string& parameters, const std::string& workingFolder);
// 0, or the system's error code (also shown).
unsigned long RunByCreateProcess(const std::string& file, const std::string& parameters,
                                 const std::string& workingFolder);
