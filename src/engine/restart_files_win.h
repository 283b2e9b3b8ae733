#pragma once
// Replacing a file that is in use, or deleting one, when Windows starts next.
#include <string>

// Copies source to (Win)KSTMPk.TMP and asks for it to be moved onto destination at restart;
// 0, or the Win32 error of the step that failed.
[[nodiscard]] unsigned long ReplaceFileAtRestart(const std::string& source, const std::string& destination);
// Asks for the file or folder to be deleted at restart; 0 or the Win32 error.
[[nodiscard]] unsigned long DeleteFileAtRestart(const std::string& path);
