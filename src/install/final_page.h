#pragma once
// The program the installation starts at the end, and the texts of the final page.
#include <string>

// [ExecuteFile] File, folder macros expanded: program [ "," parameters [ "," method ] ].
struct ExecuteEntry {
    std::string program;
    std::string parameters;
    std::string method;
    bool ByCreateProcess() const { return method == "CreateProcess"; }
};
ExecuteEntry ParseExecuteEntry(const std::string& value);
constexpr const char* kRebootMark = "WINDOWS_REBOOT";

struct FinalPage {
    std::string message;
    std::string choice1;
    std::string choice2;  // empty: the second choice is hidden
};
FinalPage BuildFinalPage(const std::string& setupString, bool reboot, const ExecuteEntry& entry);

// The completion text appended to the status log.
std::string CompletionText(const std::string& setupString, const std::string& unSetupString, bool setupOnly);
