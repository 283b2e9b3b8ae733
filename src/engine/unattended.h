#pragma once
// Unattended runs for deployment tools: the command-line switches, the exit codes and the
// lines of the run log. Nothing here touches the system.
#include <string>
#include <vector>

enum class RunUi { Full, Passive, Quiet };

struct Switches {
    RunUi ui = RunUi::Full;
    std::string dir;                     // /dir: the install folder, folder macros allowed
    std::string log;                     // /log: the run log's file
    bool forceRestart = false;           // /forcerestart; /norestart is the default
    bool help = false;                   // /?
    std::string bad;                     // the first switch not understood, or one lacking its value
    std::vector<std::string> arguments;  // everything that is not a switch, in order
    bool any = false;                    // at least one switch was given

    bool Unattended() const { return ui != RunUi::Full; }
};

// Every argument that starts with "/" is a switch; names ignore letter case.
Switches ParseSwitches(const std::vector<std::string>& arguments);

// Exit codes as deployment tools expect them from installers.
namespace exit_code {
constexpr int kDone = 0;
constexpr int kItemsFailed = 1;
constexpr int kStopped = 2;
constexpr int kRefused = 3;
constexpr int kAlreadyRunning = 4;
constexpr int kBadSwitch = 87;
constexpr int kRestartStarted = 1641;
constexpr int kRestartNeeded = 3010;
}  // namespace exit_code

// How an unattended run ended, as far as the exit code cares.
struct RunOutcome {
    int stopCode = 0;       // set when the run was stopped or refused: that code wins
    bool finished = false;  // the run reached its end
    int failures = 0;       // failed items, not counting files left for the restart
    bool restartNeeded = false;
    bool restartStarted = false;
};
int ExitCodeFor(const RunOutcome& outcome);
// The code with a few words for the log: "3010（完了・再起動が必要）".
std::string ExitCodeText(int code);

// The message box text that /? shows.
std::string SwitchHelpText(const std::string& programName);

// One log entry: every non-empty line of text after the time stamp, continuation lines
// indented, each ending in CR LF.
std::string LogEntry(const std::string& stamp, const std::string& text);
// The word for a message box answer (IDOK = 1 ... IDNO = 7).
std::string AnswerWord(int answer);
