#include "engine/unattended_win.h"

#include <windows.h>

#include "engine/strings.h"
#include "owned_win.h"
#include "system_files_win.h"

UnattendedRun& Unattended() {
    static UnattendedRun run;
    return run;
}

namespace {

std::string Stamp() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return ZeroPadded(t.wYear, 4) + "/" + ZeroPadded(t.wMonth, 2) + "/" + ZeroPadded(t.wDay, 2) + " " +
           ZeroPadded(t.wHour, 2) + ":" + ZeroPadded(t.wMinute, 2) + ":" + ZeroPadded(t.wSecond, 2);
}

// Appends and closes at once, so that whatever stops the program later finds the log complete.
bool AppendToFile(const std::string& path, const std::string& bytes, DWORD disposition) {
    const OwnedHandle file(CreateFile932(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, disposition,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return false;
    DWORD written = 0;
    return WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

}  // namespace

bool UnattendedRun::Begin(const Switches& switches, const std::string& commandLine) {
    switches_ = switches;
    if (switches.log.empty()) return true;
    char full[MAX_PATH * 2];
    const DWORD n = GetFullPathName932(switches.log.c_str(), sizeof(full), full);
    logPath_ = n > 0 && n < sizeof(full) ? std::string(full, n) : switches.log;
    const bool ok = AppendToFile(logPath_, LogEntry(Stamp(), "開始: " + commandLine), CREATE_ALWAYS);
    if (!ok) logPath_.clear();
    return ok;
}

void UnattendedRun::Log(const std::string& text) {
    if (!logPath_.empty()) AppendToFile(logPath_, LogEntry(Stamp(), text), OPEN_ALWAYS);
}

void UnattendedRun::LogStatus(const std::string& statusText) {
    // A new run starts its text afresh; otherwise the text only grows.
    if (statusText.compare(0, loggedStatus_.size(), loggedStatus_) != 0) loggedStatus_.clear();
    const std::size_t end = statusText.rfind('\n');
    if (end == std::string::npos || end + 1 <= loggedStatus_.size()) return;
    Log(statusText.substr(loggedStatus_.size(), end + 1 - loggedStatus_.size()));
    loggedStatus_ = statusText.substr(0, end + 1);
}

int UnattendedRun::Answer(const std::string& text, const std::string& caption, const FixedAnswer& fixed) {
    Log("[質問] " + caption + "\r\n" + text);
    Log("[回答] " + AnswerWord(fixed.answer) + (fixed.why ? std::string("（") + fixed.why + "）" : std::string()));
    if (fixed.stopCode != 0) Stop(fixed.stopCode);
    return fixed.answer;
}

void UnattendedRun::Stop(int code) {
    if (outcome_.stopCode == 0) outcome_.stopCode = code;
}

void UnattendedRun::Finish(int failures, bool restartNeeded, bool restartStarted) {
    outcome_.finished = true;
    outcome_.failures = failures;
    outcome_.restartNeeded = restartNeeded;
    outcome_.restartStarted = restartStarted;
}

int UnattendedRun::End(int stopCode) {
    Stop(stopCode);
    const int code = ExitCodeFor(outcome_);
    Log("終了コード: " + ExitCodeText(code));
    return code;
}
