// Test fixture: posts WM_CLOSE to every visible top-level window of a class, as the task
// list's "end task" does, so that a dialog without a close box can be closed unanswered.
// Usage: closewindow CLASS. Exit code 0 when a window was found, 1 when none, 2 on a usage error.
#include <windows.h>

#include <cstring>

namespace {

const char* wanted = nullptr;
int closed = 0;

BOOL CALLBACK Close(HWND hwnd, LPARAM) {
    char name[256] = {};
    GetClassNameA(hwnd, name, sizeof(name));
    if (IsWindowVisible(hwnd) && std::strcmp(name, wanted) == 0) {
        PostMessageA(hwnd, WM_CLOSE, 0, 0);
        ++closed;
    }
    return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    wanted = argv[1];
    EnumWindows(Close, 0);
    return closed ? 0 : 1;
}
