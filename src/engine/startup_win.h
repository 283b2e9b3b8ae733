#pragma once
// The once-only start-up step: OS name, folders, mode, work folder and script copy.
#include <string>

// Fills Environment() and the folder macros; returns the OS name for the title line.
void DetectEnvironment();
// Prepares the work folder and copies the program and the script there; errors go to StartupErrors.
void PrepareWorkFolder(const std::string& firstArgument);
// The first command-line argument (quotes removed), or empty.
std::string FirstArgument();
