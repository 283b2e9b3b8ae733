#pragma once
// Deleting files, patterns and folders without the shell asking or showing anything.
#include <string>

// Deletes what each pattern matches in the folder ("*.INI|*.GID|", each ending in "|"), then
// the folder itself; 0, or the system's error when the folder stays.
[[nodiscard]] unsigned long RemoveFolderWithPatterns(const std::string& folder, const std::string& patterns);
// Deletes a file, or what a pattern matches, silently; 0 when done, 2 for a missing file named
// without wildcards. A component is unregistered first. For one plain file, 0 means it is gone.
[[nodiscard]] unsigned long ShellDeleteFile(const std::string& path);
// Deletes at once a file named without wildcards that is no component; true when it is gone.
// A folder, a marked or missing file, a component or a pattern is left as it was.
bool DeleteIfPlainFile(const std::string& path);
// ShellDeleteFile once DeleteIfPlainFile has failed for the path: a missing name is not
// looked up twice.
[[nodiscard]] unsigned long ShellDeleteRest(const std::string& path);
