// Test fixture: opens FILE with share mode 0 and keeps it open until the process is ended.
// Usage: holdfile FILE [READY]. READY, when given, is written once FILE is held and
// receives FILE's short (8.3) path, which a test cannot work out by itself.
// Exit code 1 when FILE cannot be opened, 2 on a usage error; otherwise it never returns.
#include <windows.h>

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    HANDLE held = CreateFileA(argv[1], GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (held == INVALID_HANDLE_VALUE) return 1;
    if (argc > 2) {
        char shortPath[MAX_PATH] = {};
        DWORD length = GetShortPathNameA(argv[1], shortPath, MAX_PATH);
        if (length >= MAX_PATH) length = 0;
        HANDLE ready = CreateFileA(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (ready != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(ready, shortPath, length, &written, nullptr);
            CloseHandle(ready);
        }
    }
    for (;;) Sleep(INFINITE);
}
