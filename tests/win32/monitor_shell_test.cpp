// The monitor's output file, window layer and previous-instance activation.
#include <gtest/gtest.h>

#include "monitor/settings_win.h"
#include "monitor/shell_win.h"
#include "test_support_win.h"

namespace {

// Whether a temporary file of the output writer is left in the folder.
bool TemporaryFileLeft(const std::string& folder) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "tov*.tmp").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return false;
    FindClose(find);
    return true;
}

std::string WithoutTimeLine(const std::string& text) { return text.substr(text.find("\r\n") + 2); }

class TestWindow {
public:
    TestWindow(const char* title) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "MonitorTestWindow";
        RegisterClassA(&wc);
        window = CreateWindowExA(0, wc.lpszClassName, title, WS_OVERLAPPEDWINDOW, 10, 10, 200, 100, nullptr, nullptr,
                                 wc.hInstance, nullptr);
    }
    ~TestWindow() { DestroyWindow(window); }
    HWND window;
};

bool IsTopMost(HWND window) { return (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

}  // namespace

TEST(MonitorOutputFile, EachScanReplacesTheWholeFile) {
    ScratchFolder dir;
    Settings.OutputFolder = dir.path().substr(0, dir.path().size() - 1);
    ASSERT_TRUE(FileOutPut("203.0.113.7", "10.0.0.5", "first.example"));
    ASSERT_TRUE(FileOutPut("198.51.100.2", "", "未接続"));
    std::string text = ReadFile(dir / "OUTPUT.DAT");
    EXPECT_EQ(text.rfind("Get Date Time     : ", 0), 0u);
    EXPECT_EQ(WithoutTimeLine(text),
              "Global IP Address : 198.51.100.2\r\nHost Name         : 未接続\r\nLocal  IP Address : \r\n");
    EXPECT_FALSE(TemporaryFileLeft(dir.path()));
}

TEST(MonitorOutputFile, AFileHeldOpenByAReaderStaysWhole) {
    ScratchFolder dir;
    Settings.OutputFolder = dir.path().substr(0, dir.path().size() - 1);
    ASSERT_TRUE(FileOutPut("203.0.113.7", "10.0.0.5", "first.example"));
    std::string before = ReadFile(dir / "OUTPUT.DAT");
    HANDLE reader =
        CreateFileA((dir / "OUTPUT.DAT").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(FileOutPut("198.51.100.2", "", ""));
    CloseHandle(reader);
    EXPECT_EQ(ReadFile(dir / "OUTPUT.DAT"), before);
    EXPECT_FALSE(TemporaryFileLeft(dir.path()));
}

TEST(MonitorOutputFile, AMissingFolderWritesNothing) {
    ScratchFolder dir;
    Settings.OutputFolder = dir / "missing";
    EXPECT_FALSE(FileOutPut("203.0.113.7", "", ""));
    EXPECT_EQ(GetFileAttributesA((dir / "missing").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(MonitorWindowLayer, TopMostOnAndOff) {
    TestWindow test("layer");
    SetTopMost(test.window);
    EXPECT_TRUE(IsTopMost(test.window));
    ClearTopMost(test.window);
    EXPECT_FALSE(IsTopMost(test.window));
    EXPECT_TRUE(IsWindowVisible(test.window));
}

TEST(MonitorPreviousInstance, RunningWindowIsRestored) {
    EXPECT_FALSE(ActivatePrevInstance("MonitorTestWindow", "no such window"));
    TestWindow test("running monitor");
    ShowWindow(test.window, SW_SHOWMINIMIZED);
    ASSERT_TRUE(IsIconic(test.window));
    EXPECT_TRUE(ActivatePrevInstance("MonitorTestWindow", "running monitor"));
    EXPECT_FALSE(IsIconic(test.window));
}
