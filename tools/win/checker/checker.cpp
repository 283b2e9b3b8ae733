// Test install checker. The wizard starts it without arguments, so it takes its
// behaviour from CHECKER.INI in its own folder, section [Behave]:
//   Mode=write (default) | none | hang | garbage
//   Result=..., Message=...   what to write into KSRESULT.INI [CheckResult]
// It writes the result file into the Windows folder, as a real checker would.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::string Setting(const std::string& ini, const char* key, const char* fallback) {
    char buffer[4096];
    GetPrivateProfileStringA("Behave", key, fallback, buffer, sizeof(buffer), ini.c_str());
    return buffer;
}

std::string WindowsFile(const char* name) {
    char folder[MAX_PATH];
    UINT n = GetWindowsDirectoryA(folder, MAX_PATH);
    return std::string(folder, n) + "\\" + name;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char self[MAX_PATH];
    std::string ini(self, GetModuleFileNameA(nullptr, self, MAX_PATH));
    ini = ini.substr(0, ini.rfind('\\') + 1) + "CHECKER.INI";
    const std::string mode = Setting(ini, "Mode", "write");
    const std::string result = WindowsFile("KSRESULT.INI");
    if (mode == "hang") {
        Sleep(INFINITE);
    } else if (mode == "garbage") {
        if (FILE* f = std::fopen(result.c_str(), "wb")) {
            std::fputs("\x81\x40[CheckResult\r\nResult ContinueInstall\r\n\x00\xff", f);
            std::fclose(f);
        }
    } else if (mode == "write") {
        WritePrivateProfileStringA("CheckResult", "Result", Setting(ini, "Result", "").c_str(), result.c_str());
        WritePrivateProfileStringA("CheckResult", "Message", Setting(ini, "Message", "").c_str(), result.c_str());
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, result.c_str());
    }
    return 0;
}
