#pragma once
// Shared pieces of the Win32 tests: a scratch folder, fixture paths, and a watcher
// that answers the next message box of this process and remembers what it said.
#include <windows.h>

#include <functional>
#include <string>

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

// A helper thread of a test (the programs' toolchain has no std::thread); joined when it goes.
class TestThread {
public:
    TestThread() = default;
    TestThread(const TestThread&) = delete;
    TestThread& operator=(const TestThread&) = delete;
    ~TestThread() { join(); }
    void Start(std::function<void()> body) {
        body_ = std::move(body);
        DWORD id = 0;
        handle_ = CreateThread(nullptr, 0, Run, this, 0, &id);
    }
    void join() {
        if (!handle_) return;
        WaitForSingleObject(handle_, INFINITE);
        CloseHandle(handle_);
        handle_ = nullptr;
    }

private:
    static DWORD WINAPI Run(void* self) {
        static_cast<TestThread*>(self)->body_();
        return 0;
    }
    std::function<void()> body_;
    HANDLE handle_ = nullptr;
};

class MessageBoxWatcher {
public:
    MessageBoxWatcher();
    ~MessageBoxWatcher();
    // Waits for the watcher to have answered one box (or times out).
    bool Wait(DWORD milliseconds = 10000);
    std::string caption;
    std::string text;

private:
    TestThread thread_;
    HANDLE done_;
};
