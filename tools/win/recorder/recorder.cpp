// Test fixture: notes how it was started. Appends to "recorded.txt" beside itself one
// block per start: "cwd=" the current folder, "cmd=" the whole command line, then
// "arg<n>=" each argument, and an empty line. Exit code 0.
#include <windows.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    char self[MAX_PATH] = {}, folder[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    GetCurrentDirectoryA(MAX_PATH, folder);
    std::string record = self;
    record.erase(record.find_last_of('\\') + 1);
    record += "recorded.txt";
    std::FILE* f = std::fopen(record.c_str(), "ab");
    if (!f) return 1;
    std::fprintf(f, "cwd=%s\r\ncmd=%s\r\n", folder, GetCommandLineA());
    for (int i = 1; i < argc; ++i) std::fprintf(f, "arg%d=%s\r\n", i, argv[i]);
    std::fprintf(f, "\r\n");
    std::fclose(f);
    return 0;
}
