#pragma once
// Folder macros and the path-delimiter helpers every file step uses.
#include <array>
#include <functional>
#include <string>

// Option "T" works on the leading delimiter, "B" on the trailing one (case-sensitive).
std::string AddPathDelimiter(const std::string& path, const std::string& option);
std::string RemovePathDelimiter(const std::string& path, const std::string& option);

// Replaces every occurrence of token, ignoring case; a value ending in a delimiter
// swallows one delimiter that follows the token. Inserted text is not searched again.
std::string ReplaceToken(const std::string& text, const std::string& token, const std::string& value);

// Folder part of a path up to and including its last real delimiter.
std::string FolderOfPath(const std::string& path);
// Name part after the last real delimiter.
std::string NameOfPath(const std::string& path);
// The drive part ("C:") of a path, without a trailing delimiter.
std::string DriveOfPath(const std::string& path);
// Whether a path or name holds a wildcard ("*" or "?"; neither is ever a trail byte).
bool HasWildcard(const std::string& text);

// The record of installed programs: "(Win)" without its trailing backslash + "\KELVO98.INI".
std::string InstalledProgramsFile(const std::string& windowsFolder);

struct FolderMacro {
    const char* token;
    std::string value;
    std::function<std::string()> lookup = {};  // while set, the value is still to be found
};

class FolderMacroTable {
public:
    FolderMacroTable();
    void Set(const std::string& token, const std::string& value);
    // The value is found by the lookup the first time the macro is read or expanded.
    void SetLookup(const std::string& token, std::function<std::string()> lookup);
    const std::string& Get(const std::string& token) const;
    // Whether the token (letter case ignored) is one of the macros.
    bool Has(const std::string& token) const;
    // Applies the macros in table order, so later entries also expand earlier values.
    std::string Expand(const std::string& text) const;

private:
    // The entry of a token (letter case ignored), or entries_.size().
    std::size_t IndexOf(const std::string& token) const;
    const std::string& Value(FolderMacro& entry) const;
    mutable std::array<FolderMacro, 19> entries_;
};

// The process-wide table that start-up fills.
FolderMacroTable& FolderMacros();
std::string ExpandFolderMacros(const std::string& text);
