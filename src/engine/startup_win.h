#pragma once
// The once-only start-up step: OS name, folders, mode, work folder and script copy.
#include <string>
#include <vector>

// Fills Environment() and the folder macros; returns the OS name for the title line.
void DetectEnvironment();
// Prepares the work folder and copies the program and the script there; errors go to StartupErrors.
void PrepareWorkFolder(const std::string& firstArgument);
// The command-line arguments after the program's name, quotes removed.
std::vector<std::string> CommandArguments();
// The first argument that is not a switch, or empty.
std::string FirstArgument();
