#pragma once
// The unattended run under way: its switches, its log and how it ends. Message boxes,
// waits for a click and the runs' end pages consult it instead of asking anyone.
#include <string>

#include "engine/unattended.h"

// What an unattended run answers to a message box instead of showing it, and why.
// A stop code ends the run with that exit code once the box is answered.
struct FixedAnswer {
    int answer = 1;  // IDOK
    const char* why = nullptr;
    int stopCode = 0;
};

class UnattendedRun {
public:
    // Takes the switches; a /log file is started anew. Returns false when it cannot be written.
    bool Begin(const Switches& switches, const std::string& commandLine);
    bool Active() const { return switches_.Unattended(); }
    const Switches& Options() const { return switches_; }

    // A time-stamped entry in the log (nothing without /log); written through at once.
    void Log(const std::string& text);
    // Logs the lines of the status text that are complete and not yet logged.
    void LogStatus(const std::string& statusText);
    // Logs a question and the fixed answer given to it; returns that answer.
    int Answer(const std::string& text, const std::string& caption, const FixedAnswer& fixed);

    // Ends the run with this code (the first stop counts).
    void Stop(int code);
    bool Stopped() const { return outcome_.stopCode != 0; }
    // The run reached its end: failed items and whether Windows must restart.
    void Finish(int failures, bool restartNeeded, bool restartStarted);
    bool Finished() const { return outcome_.finished; }
    // The exit code (a stop code given here counts like Stop), logged.
    int End(int stopCode = 0);

private:
    Switches switches_;
    std::string logPath_;
    std::string loggedStatus_;
    RunOutcome outcome_;
};

UnattendedRun& Unattended();
