#pragma once
// Shared pieces of the Win32 tests: a scratch folder, fixture paths, and a watcher
// that answers the next message box of this process and remembers what it said.
#include <windows.h>

#include <string>
#include <thread>

#include "engine/files_win.h"
#include "engine/paths.h"

class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    const std::string& path() const { return path_; }  // with a trailing backslash
    std::string operator/(const std::string& name) const { return path_ + name; }

private:
    std::string path_;
};

std::string FixturePath(const std::string& folder, const std::string& file);
void WriteFile(const std::string& path, const std::string& content);
std::string ReadFile(const std::string& path);

class MessageBoxWatcher {
public:
    MessageBoxWatcher();
    ~MessageBoxWatcher();
    // Waits for the watcher to have answered one box (or times out).
    bool Wait(DWORD milliseconds = 10000);
    std::string caption;
    std::string text;

private:
    std::thread thread_;
    HANDLE done_;
};
