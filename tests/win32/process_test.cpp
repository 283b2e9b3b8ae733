#include <gtest/gtest.h>

#include "test_support_win.h"
#include "engine/system_win.h"

namespace {

double CpuSeconds() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto seconds = [](const FILETIME& t) {
        return (static_cast<double>(t.dwHighDateTime) * 4294967296.0 + t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

DWORD HandleCount() {
    DWORD count = 0;
    GetProcessHandleCount(GetCurrentProcess(), &count);
    return count;
}

}  // namespace

TEST(RunAndWait, WaitsForTheProcessWithoutSpinningOrLeaking) {
    const std::string sleeper = FixturePath("sleeper", "sleeper.exe");
    ASSERT_TRUE(FileExists(sleeper)) << sleeper;
    EXPECT_EQ(RunAndWait(sleeper, "100"), 0u);  // warm up the shell
    const DWORD handles = HandleCount();
    const double cpu = CpuSeconds();
    const DWORD start = GetTickCount();
    EXPECT_EQ(RunAndWait(sleeper, "1500"), 0u);
    const DWORD elapsed = GetTickCount() - start;
    const double used = CpuSeconds() - cpu;
    EXPECT_GE(elapsed, 1400u);
    EXPECT_LT(used, 0.15) << "the wait used " << used << " s of processor time";
    EXPECT_LE(HandleCount(), handles);
}

TEST(RunAndWait, AProgramThatCannotStartGivesTheSystemError) {
    ScratchFolder dir;
    EXPECT_NE(RunAndWait(dir / "missing.exe", ""), 0u);
}
