#pragma once
// GoogleTest's Notification for the win32 thread model, which has no std::mutex: the
// programs' toolchain links no thread library. Read before GoogleTest's own headers.
#include <windows.h>

namespace testing::internal {

class Notification {
public:
    Notification() : event_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;
    ~Notification() { CloseHandle(event_); }
    void Notify() { SetEvent(event_); }
    void WaitForNotification() { WaitForSingleObject(event_, INFINITE); }

private:
    HANDLE event_;
};

}  // namespace testing::internal
