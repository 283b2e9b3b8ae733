// Test fixture: starts one command line exactly as written (environment strings expanded,
// as the system does for a REG_EXPAND_SZ command), waits for the started program's end and
// exits with its exit code. Usage: runline "COMMAND LINE" [CODE_FILE]. Exit code 255 when it
// cannot start. Wine hands only the low byte of an exit code to Linux, so CODE_FILE, when
// given, receives the whole code as decimal text.
// Everything goes through the W functions: the command comes as Unicode from the harness, and
// the system's code page (1252 on an English system) would lose its Japanese names.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

int main() {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || (argc != 2 && argc != 3)) return 255;
    std::vector<wchar_t> line(32768, L'\0');
    if (!ExpandEnvironmentStringsW(argv[1], line.data(), static_cast<DWORD>(line.size()))) return 255;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return 255;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 255;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (argc == 3) {
        HANDLE file = CreateFileW(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        const std::string text = std::to_string(code);
        DWORD written = 0;
        if (file != INVALID_HANDLE_VALUE)
            WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    }
    return static_cast<int>(code);
}
