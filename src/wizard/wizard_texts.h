#pragma once
// The wizard's texts and small decisions, apart from the windows that show them.
#include <cstdint>
#include <string>

// The welcome page text for program name P and action word S; NT adds the administrator note.
std::string WelcomeText(const std::string& program, const std::string& s, bool nt);

// "#,##0": thousands separators, no decimals.
std::string GroupThousands(std::int64_t value);

// The folder group's caption: the drive is missing, its free space, or both queries failed.
std::string FreeSpaceCaption(bool driveExists, bool known, std::int64_t bytes);

// The question asked before the wizard is left.
std::string QuitQuestion(const std::string& s, const std::string& u);

// What the install checker's result file says.
struct CheckerResult {
    bool proceed;         // the result word is exactly "ContinueInstall"
    std::string message;  // "<改行>" replaced by line breaks
};
CheckerResult InterpretCheckerResult(const std::string& result, const std::string& message);
std::string CheckerRefusal(const std::string& s);

// What the uninstall page's four boxes ask for, each box deleting its pattern. In the
// "DeleteAll" layout only the first box is shown, and it empties the whole folder.
// Patterns end in "|".
struct CleanupChoice {
    std::string patterns;
    bool deleteAll = false;
};
CleanupChoice ChooseCleanup(const bool ticked[4], const std::string patterns[4], bool othersShown);

// The uninstall log's [UnSetupOption] CheckBox: "DeleteAll", or "1"/"0" at positions 1, 3, 5 and 7.
struct UninstallOptions {
    bool deleteAll = false;
    bool ticked[4] = {};
};
UninstallOptions ParseUninstallOptions(const std::string& value);
