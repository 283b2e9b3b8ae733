#pragma once
// What a run has done so far: its progress text, the current step's result and its failures.
#include <string>

// How a step of a run came out, as its line in the progress text ends.
enum class StepResult {
    Pending,  // no step begun yet
    Done,
    DoneAfterDots,  // a step that draws its own dots while it works
    Nothing,        // nothing to do
    Failed,
    CreateFailed,  // the install folder could not be made
    PartFailed,
    Locked,  // a file in use is replaced at the restart
    PartFailedLocked,
    SpaceShort,   // the free space looks too small
    SpaceUnknown  // the free space could not be asked
};
// The word that ends a step's line.
const char* StepResultWord(StepResult result);

// What a run has done so far; the status window shows it.
struct RunStatus {
    std::string StatusLog;  // the whole progress text
    StepResult StepStatus = StepResult::Pending;
    std::string FailureReport;  // one block per failed item
    int FailureCount = 0;

    // One failed item: its block, the count, and the step's result.
    void AddFailure(const std::string& block) {
        FailureReport += block;
        ++FailureCount;
        StepStatus = StepResult::PartFailed;
    }
    // The progress text gains the line's end: the step's result and a line break.
    void EndStepLine() { StatusLog += std::string(StepResultWord(StepStatus)) + "\r\n"; }
};
