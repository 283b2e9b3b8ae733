// Drives the programs' windows from outside, as a person would: finds windows by
// class, controls by name (the "KelvoName" property) or caption, reads texts,
// clicks, ticks, types, and answers message boxes. Texts come and go as code page 932
// bytes whatever the system's code page: inside, the driver asks Windows in UTF-16, so that
// an English or Chinese system neither loses the Japanese nor turns a trail byte 0x5C into a
// backslash. Exit code 0 on success, 1 when a wait timed out or nothing matched.
// "uidriver serve" answers one command per line on stdin, so a test pays for one Wine
// process start per prefix instead of one per command (about 0.7 s under i386 emulation).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The harness's code page: arguments arrive in it and every printed text goes out in it.
constexpr UINT kTextCodePage = 932;

std::wstring Wide(const std::string& text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    std::wstring out(MultiByteToWideChar(kTextCodePage, 0, text.data(), size, nullptr, 0), L'\0');
    MultiByteToWideChar(kTextCodePage, 0, text.data(), size, out.data(), static_cast<int>(out.size()));
    return out;
}

// A character code page 932 lacks (a Chinese system's own button captions) comes out as '?'.
std::string Narrow(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    std::string out(WideCharToMultiByte(kTextCodePage, 0, text.data(), size, nullptr, 0, nullptr, nullptr), '\0');
    WideCharToMultiByte(kTextCodePage, 0, text.data(), size, out.data(), static_cast<int>(out.size()), nullptr,
                        nullptr);
    return out;
}

std::string WindowText(HWND hwnd) {
    // A busy program must not hang the driver: give up on the text after a few seconds.
    DWORD_PTR length = 0, got = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) return "<busy>";
    std::wstring text(length + 1, L'\0');
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                             5000, &got))
        return "<busy>";
    text.resize(got);
    return Narrow(text);
}

std::string ClassOf(HWND hwnd) {
    wchar_t name[256] = {};
    GetClassNameW(hwnd, name, 256);
    return Narrow(name);
}

std::string ControlName(HWND hwnd) {
    ATOM atom = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(GetPropW(hwnd, L"KelvoName")));
    wchar_t name[256] = {};
    if (atom) GlobalGetAtomNameW(atom, name, 256);
    return Narrow(name);
}

// One line, with line breaks written as \n so that a control is always one line.
std::string Escape(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        // A double-byte character's second byte may be 0x5C: it is not a backslash.
        if (IsDBCSLeadByteEx(kTextCodePage, static_cast<BYTE>(text[i])) && i + 1 < text.size()) {
            out += text.substr(i++, 2);
            continue;
        }
        if (text[i] == '\n') out += "\\n";
        else if (text[i] == '\\') out += "\\\\";
        else out += text[i];
    }
    return out;
}

BOOL CALLBACK Collect(HWND hwnd, LPARAM found) {
    reinterpret_cast<std::vector<HWND>*>(found)->push_back(hwnd);
    return TRUE;
}

std::vector<HWND> TopWindows(const std::string& className) {
    std::vector<HWND> all, found;
    EnumWindows(Collect, reinterpret_cast<LPARAM>(&all));
    for (HWND hwnd : all)
        if (IsWindowVisible(hwnd) && (className.empty() || ClassOf(hwnd) == className)) found.push_back(hwnd);
    return found;
}

std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> found;
    EnumChildWindows(parent, Collect, reinterpret_cast<LPARAM>(&found));
    return found;
}

// Captions compare without their accelerator marks: "はい(&Y)" matches "はい" and "はい(Y)".
std::string Plain(const std::string& caption) {
    std::string out;
    for (char c : caption)
        if (c != '&') out += c;
    std::size_t paren = out.rfind('(');
    if (paren != std::string::npos && paren + 3 == out.size() && out.back() == ')') out.erase(paren);
    return out;
}

// A form makes its hidden controls shortly after it first paints; wait for them. A form that
// stays busy longer (a program reading a huge script) is reported without names: the caller
// asks again, since a longer wait here would hold up every command behind it.
void WaitForAllControls(HWND top) {
    const DWORD start = GetTickCount();
    while (GetPropW(top, L"KelvoPending") && GetTickCount() - start < 5000) Sleep(20);
}

HWND FindControl(HWND top, const std::string& key) {
    WaitForAllControls(top);
    for (HWND c : Children(top))
        if (ControlName(c) == key) return c;
    for (HWND c : Children(top))
        if (WindowText(c) == key || Plain(WindowText(c)) == Plain(key)) return c;
    if (!key.empty() && key.find_first_not_of("0123456789") == std::string::npos)
        return GetDlgItem(top, std::atoi(key.c_str()));
    return nullptr;
}

HWND WaitTop(const std::string& className, DWORD timeout) {
    const DWORD start = GetTickCount();
    for (;;) {
        std::vector<HWND> found = TopWindows(className);
        if (!found.empty()) return found.front();
        if (GetTickCount() - start >= timeout) return nullptr;
        Sleep(50);
    }
}

DWORD TimeoutArg(int argc, char** argv, int index, DWORD fallback) {
    return argc > index ? static_cast<DWORD>(std::atol(argv[index])) : fallback;
}

std::string failure;  // why the last command failed

int Fail(const std::string& what) {
    failure = what;
    return 1;
}

void DumpControl(HWND c) {
    const bool checkable = ClassOf(c) == "Button" || ClassOf(c) == "BUTTON";
    LRESULT check = checkable ? SendMessageA(c, BM_GETCHECK, 0, 0) : 0;
    RECT r;
    GetWindowRect(c, &r);
    MapWindowPoints(nullptr, GetParent(c), reinterpret_cast<POINT*>(&r), 2);
    std::printf("%s|%s|%d|%d|%d|%d|%ld,%ld,%ld,%ld|%s\n", ControlName(c).c_str(), ClassOf(c).c_str(), GetDlgCtrlID(c),
                IsWindowVisible(c) ? 1 : 0, IsWindowEnabled(c) ? 1 : 0, check == BST_CHECKED ? 1 : 0, r.left, r.top,
                r.right - r.left, r.bottom - r.top, Escape(WindowText(c)).c_str());
}

HKEY RootKey(const std::string& name) {
    const std::pair<const char*, HKEY> roots[] = {
        {"HKLM", HKEY_LOCAL_MACHINE}, {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
        {"HKCU", HKEY_CURRENT_USER},  {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
        {"HKCR", HKEY_CLASSES_ROOT},  {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
        {"HKU", HKEY_USERS},          {"HKEY_USERS", HKEY_USERS}};
    for (const auto& [text, key] : roots)
        if (lstrcmpiA(text, name.c_str()) == 0) return key;
    return nullptr;
}

// A value's data as "reg query" prints it: strings as they are (in code page 932), numbers as
// 0x..., binary data in hex pairs, the strings of a multi-string joined by "\0".
std::string RegistryData(DWORD type, std::vector<char> data) {
    char number[32];
    if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ) {
        const std::string text =
            Narrow(std::wstring(reinterpret_cast<const wchar_t*>(data.data()), data.size() / sizeof(wchar_t)));
        data.assign(text.begin(), text.end());
    }
    switch (type) {
        case REG_SZ:
        case REG_EXPAND_SZ: return std::string(data.data(), strnlen(data.data(), data.size()));
        case REG_DWORD:
            std::snprintf(number, sizeof(number), "0x%lx",
                          data.size() >= 4 ? *reinterpret_cast<const DWORD*>(data.data()) : 0UL);
            return number;
        case REG_MULTI_SZ: {  // the closing pair of NULs dropped; an empty string between two stays
            std::size_t end = data.size();
            for (int closing = 0; closing < 2 && end > 0 && data[end - 1] == '\0'; ++closing) --end;
            std::string out;
            for (std::size_t i = 0; i < end; ++i) out += data[i] ? std::string(1, data[i]) : "\\0";
            return out;
        }
        default: {
            std::string out;
            for (char c : data) {
                std::snprintf(number, sizeof(number), "%02X", static_cast<unsigned char>(c));
                out += number;
            }
            return out;
        }
    }
}

const char* TypeName(DWORD type) {
    switch (type) {
        case REG_SZ: return "REG_SZ";
        case REG_EXPAND_SZ: return "REG_EXPAND_SZ";
        case REG_DWORD: return "REG_DWORD";
        case REG_MULTI_SZ: return "REG_MULTI_SZ";
        case REG_BINARY: return "REG_BINARY";
        case REG_QWORD: return "REG_QWORD";
        default: return "REG_NONE";
    }
}

// "regvalue KEY NAME" (NAME empty: the key's default value): "TYPE|DATA" as "reg query" gives
// them, without starting reg.exe, which costs most of a second under i386 emulation.
int RegistryValue(const std::string& path, const std::string& name) {
    const std::size_t slash = path.find('\\');
    HKEY root = RootKey(path.substr(0, slash));
    if (!root) return Fail("no registry root in " + path);
    HKEY key = nullptr;
    const std::string sub = slash == std::string::npos ? "" : path.substr(slash + 1);
    if (RegOpenKeyExW(root, Wide(sub).c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return Fail("no key " + path);
    const std::wstring wideName = Wide(name);
    DWORD type = 0, size = 0;
    LONG result = RegQueryValueExW(key, wideName.c_str(), nullptr, &type, nullptr, &size);
    std::vector<char> data(size + 2, '\0');
    if (result == ERROR_SUCCESS)
        result = RegQueryValueExW(key, wideName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS && name.empty()) {  // reg.exe's words for a default value never set
        std::printf("REG_SZ|(値の設定なし)\n");
        return 0;
    }
    if (result != ERROR_SUCCESS) return Fail("no value " + name);
    data.resize(size);
    std::printf("%s|%s\n", TypeName(type), Escape(RegistryData(type, data)).c_str());
    return 0;
}

int Run(int argc, char** argv) {
    const std::string command = argv[1];
    const std::string cls = argc > 2 ? argv[2] : "";
    if (command == "regvalue") return RegistryValue(cls, argc > 3 ? argv[3] : "");
    if (command == "windows") {
        for (HWND w : TopWindows(cls)) {
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            std::printf("%s|%s|%d|%lu\n", ClassOf(w).c_str(), Escape(WindowText(w)).c_str(), IsWindowEnabled(w) ? 1 : 0,
                        pid);
        }
        return 0;
    }
    if (command == "acp") {  // the system's ANSI code page, as the programs of the prefix see it
        std::printf("%u\n", GetACP());
        return 0;
    }
    if (command == "foreground") {
        HWND front = GetForegroundWindow();
        std::printf("%s|%s\n", front ? ClassOf(front).c_str() : "", front ? Escape(WindowText(front)).c_str() : "");
        return 0;
    }
    if (command == "gone") {
        const DWORD start = GetTickCount(), timeout = TimeoutArg(argc, argv, 3, 10000);
        while (!TopWindows(cls).empty())
            if (GetTickCount() - start >= timeout) return Fail("window still there");
            else Sleep(50);
        return 0;
    }
    HWND top = WaitTop(cls, command == "wait" || command == "caption" ? TimeoutArg(argc, argv, 3, 10000) : 5000);
    if (!top) return Fail("no window of class " + cls);
    if (command == "wait" || command == "caption") {
        std::printf("%s\n", Escape(WindowText(top)).c_str());
        return 0;
    }
    if (command == "dump") {
        WaitForAllControls(top);
        std::printf("%s|%s|%d|%d|%d|%d|-|%s\n", "", cls.c_str(), 0, IsWindowVisible(top) ? 1 : 0,
                    IsWindowEnabled(top) ? 1 : 0, 0, Escape(WindowText(top)).c_str());
        for (HWND c : Children(top)) DumpControl(c);
        return 0;
    }
    if (argc < 4) return Fail("missing control");
    HWND control = FindControl(top, argv[3]);
    if (!control) return Fail(std::string("no control ") + argv[3]);
    if (command == "text") {
        std::printf("%s\n", Escape(WindowText(control)).c_str());
    } else if (command == "click") {
        if (!IsWindowEnabled(control)) return Fail("control is disabled");
        PostMessageA(control, BM_CLICK, 0, 0);
    } else if (command == "check") {
        bool want = argc > 4 && std::strcmp(argv[4], "1") == 0;
        bool is = SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
        if (want != is) PostMessageA(control, BM_CLICK, 0, 0);
    } else if (command == "type") {
        const std::wstring text = Wide(argc > 4 ? argv[4] : "");
        SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    } else {
        return Fail("unknown command");
    }
    return 0;
}

int Hex(char c) {
    return c >= '0' && c <= '9'   ? c - '0'
           : c >= 'a' && c <= 'f' ? c - 'a' + 10
           : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                  : -1;
}

// A command line of serve mode: its arguments in hexadecimal, separated by single spaces,
// so that any text (tabs, line breaks, a trail byte 0x5C) arrives unchanged.
bool DecodeArgs(const std::string& line, std::vector<std::string>& args) {
    args.assign(1, "uidriver");
    args.emplace_back();
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == ' ') {
            args.emplace_back();
        } else if (i + 1 < line.size() && Hex(line[i]) >= 0 && Hex(line[i + 1]) >= 0) {
            args.back() += static_cast<char>(Hex(line[i]) * 16 + Hex(line[i + 1]));
            ++i;
        } else {
            return false;
        }
    }
    return !args[1].empty();
}

// Each answer is the command's output, then a line of 0x1E, the exit code and the failure.
int Serve() {
    std::string line;
    for (int c; (c = std::getchar()) != EOF;) {
        if (c != '\n') {
            if (c != '\r') line += static_cast<char>(c);
            continue;
        }
        std::vector<std::string> args;
        std::vector<char*> argv;
        failure.clear();
        if (DecodeArgs(line, args))
            for (std::string& a : args) argv.push_back(a.data());
        const int code = argv.empty() ? Fail("bad command line") : Run(static_cast<int>(argv.size()), argv.data());
        std::printf("\x1e%d %s\n", code, failure.c_str());
        std::fflush(stdout);
        line.clear();
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(
            stderr,
            "usage: uidriver windows [CLASS] | foreground | wait CLASS [MS] | gone CLASS [MS] | caption CLASS\n"
            "       dump CLASS | text CLASS CONTROL | click CLASS CONTROL | check CLASS CONTROL 0|1\n"
            "       type CLASS CONTROL TEXT   (message boxes: CLASS #32770, text in control 65535)\n"
            "       regvalue KEY [NAME]   (TYPE|DATA as reg query prints them; no NAME: the default value)\n"
            "       acp   (the system's ANSI code page)\n"
            "       serve   (commands on stdin, one a line, each argument in hexadecimal)\n");
        return 2;
    }
    if (std::strcmp(argv[1], "serve") == 0) return Serve();
    // The arguments again from the UTF-16 command line: the C run-time's copies went through
    // the system's code page, which on an English system has no Japanese.
    // Shell32 is loaded only here: serve mode, the harness's way, keeps the few modules it had.
    using Split = LPWSTR*(WINAPI*)(LPCWSTR, int*);
    HMODULE shell = LoadLibraryW(L"shell32.dll");
    auto split =
        shell ? reinterpret_cast<Split>(reinterpret_cast<void*>(GetProcAddress(shell, "CommandLineToArgvW"))) : nullptr;
    int count = 0;
    LPWSTR* wide = split ? split(GetCommandLineW(), &count) : nullptr;
    std::vector<std::string> args;
    for (int i = 0; i < count; ++i) args.push_back(Narrow(wide[i]));
    if (wide) LocalFree(wide);
    std::vector<char*> pointers;
    for (std::string& a : args) pointers.push_back(a.data());
    int code = pointers.size() < 2 ? 2 : Run(static_cast<int>(pointers.size()), pointers.data());
    std::fflush(stdout);
    if (code != 0) std::fprintf(stderr, "uidriver: %s\n", failure.c_str());
    return code;
}
