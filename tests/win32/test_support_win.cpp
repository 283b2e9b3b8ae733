#include "test_support_win.h"
#include "engine/system_win.h"
#include "system_windows_win.h"

#include <shellapi.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

ScratchFolder::ScratchFolder() {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    path_ = AddPathDelimiter(temp, "B") + "kelvo_w32_" + std::to_string(GetCurrentProcessId()) + "_" +
            std::to_string(GetTickCount()) + "\\";
    if (CreateFolderPath(path_) != 0) ADD_FAILURE() << "no scratch folder " << path_;
}

ScratchFolder::~ScratchFolder() {
    std::string from = RemovePathDelimiter(path_, "B");
    from.append(2, '\0');
    SHFILEOPSTRUCTA op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;
    SHFileOperationA(&op);
}

std::string FixturePath(const std::string& folder, const std::string& file) {
    return FolderOfPath(ModulePath()) + "tools\\win\\" + folder + "\\" + file;
}

void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary);
    out << content;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

namespace {

// As the programs read texts: code page 932 whatever the system's code page.
std::string TextOf(HWND hwnd) { return WindowText932(hwnd); }

struct BoxSearch {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK MatchOwnBox(HWND hwnd, LPARAM p) {
    auto* s = reinterpret_cast<BoxSearch*>(p);
    char cls[64] = {};
    GetClassNameA(hwnd, cls, sizeof(cls));
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == s->pid && lstrcmpA(cls, "#32770") == 0 && IsWindowVisible(hwnd)) s->found = hwnd;
    return s->found == nullptr;
}

HWND FindOwnMessageBox() {
    BoxSearch search{GetCurrentProcessId(), nullptr};
    EnumWindows(MatchOwnBox, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

MessageBoxWatcher::MessageBoxWatcher() : done_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    thread_.Start([this] {
        for (int i = 0; i < 400; ++i) {
            if (HWND box = FindOwnMessageBox()) {
                caption = TextOf(box);
                text = TextOf(GetDlgItem(box, 0xFFFF));
                PostMessageA(box, WM_COMMAND, IDOK, 0);
                break;
            }
            Sleep(25);
        }
        SetEvent(done_);
    });
}

MessageBoxWatcher::~MessageBoxWatcher() {
    thread_.join();
    CloseHandle(done_);
}

bool MessageBoxWatcher::Wait(DWORD milliseconds) {
    return WaitForSingleObject(done_, milliseconds) == WAIT_OBJECT_0 && !caption.empty();
}
