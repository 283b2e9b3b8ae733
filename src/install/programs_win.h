#pragma once
// Starting a program without waiting: through the shell's "open", or as a new process.
#include <string>

// 0, or why the shell could not open the file (its code, 32 or less).
[[nodiscard]] unsigned long RunByShell(const std::string& file, const std::string& parameters,
                                       const std::string& workingFolder);
// 0, or the system's error code.
[[nodiscard]] unsigned long RunByCreateProcess(const std::string& file, const std::string& parameters,
                                               const std::string& workingFolder);
// The box text for a program that did not start.
std::string StartFailureText(const std::string& file, const std::string& parameters, unsigned long code);
