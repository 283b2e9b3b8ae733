// Benchmark helper: starts a program and times, from inside the same Wine prefix, how long
// until one of its windows shows a given text readably: the control is visible, its text
// contains the words, and neither it nor its top window waits for a repaint.
//   starttimer WORDS PROGRAM [ARGUMENT...]
// Prints "first_window=MS readable=MS" (first_window: a visible top window of the process),
// then ends the program. Exit code 0, or 1 when nothing readable came within 30 s.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

struct Search {
    DWORD pid;
    const char* words;
    bool anyWindow = false;
    bool readable = false;
};

std::string TextOf(HWND hwnd) {
    char text[1024] = {};
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 1000,
                             &got))
        return "";
    return text;
}

bool Painted(HWND hwnd) { return !GetUpdateRect(hwnd, nullptr, FALSE); }

bool ShowsWords(HWND control, HWND top, const char* words) {
    if (!IsWindowVisible(control) || TextOf(control).find(words) == std::string::npos) return false;
    return Painted(control) && Painted(top);
}

BOOL CALLBACK CheckChild(HWND child, LPARAM lParam) {
    auto* search = reinterpret_cast<Search*>(lParam);
    if (ShowsWords(child, GetAncestor(child, GA_ROOT), search->words)) search->readable = true;
    return !search->readable;
}

BOOL CALLBACK CheckTop(HWND top, LPARAM lParam) {
    auto* search = reinterpret_cast<Search*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(top, &pid);
    if (pid != search->pid || !IsWindowVisible(top)) return TRUE;
    search->anyWindow = true;
    EnumChildWindows(top, CheckChild, lParam);
    return !search->readable;
}

std::string Quoted(const char* arg) { return std::string("\"") + arg + "\""; }

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: starttimer WORDS PROGRAM [ARGUMENT...]\n");
        return 2;
    }
    std::string commandLine = Quoted(argv[2]);
    for (int i = 3; i < argc; ++i) commandLine += " " + Quoted(argv[i]);
    std::string folder = argv[2];
    const std::size_t slash = folder.find_last_of("\\/");
    folder = slash == std::string::npos ? "." : folder.substr(0, slash);

    LARGE_INTEGER frequency, start, now;
    QueryPerformanceFrequency(&frequency);
    auto elapsed = [&] {
        QueryPerformanceCounter(&now);
        return static_cast<double>(now.QuadPart - start.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
    };
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(argv[2], commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &process)) {
        std::fprintf(stderr, "starttimer: cannot start %s (error %lu)\n", argv[2], GetLastError());
        return 2;
    }
    double firstWindow = -1, readable = -1;
    Search search{process.dwProcessId, argv[1]};
    while (elapsed() < 30000) {
        EnumWindows(CheckTop, reinterpret_cast<LPARAM>(&search));
        const double t = elapsed();
        if (search.anyWindow && firstWindow < 0) firstWindow = t;
        if (search.readable) {
            readable = t;
            break;
        }
        if (WaitForSingleObject(process.hProcess, 5) == WAIT_OBJECT_0) break;
    }
    std::printf("first_window=%.1f readable=%.1f\n", firstWindow, readable);
    std::fflush(stdout);
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return readable < 0 ? 1 : 0;
}
