// Test fixture: starts one command line exactly as written (environment strings expanded,
// as the system does for a REG_EXPAND_SZ command), waits for the started program's end and
// exits with its exit code. Usage: runline "COMMAND LINE". Exit code 255 when it cannot start.
#include <windows.h>

#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 2) return 255;
    std::vector<char> line(32768, '\0');
    if (!ExpandEnvironmentStringsA(argv[1], line.data(), static_cast<DWORD>(line.size()))) return 255;
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return 255;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 255;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}
