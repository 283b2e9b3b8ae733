// Test fixture: a DLL left beside a program under a system DLL's name, as downloads leave
// them. Loaded into a process, it appends a line "program <- this DLL" to C:\planted.txt.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    char program[MAX_PATH] = "", dll[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, program, MAX_PATH);
    GetModuleFileNameA(self, dll, MAX_PATH);
    HANDLE note = CreateFileA("C:\\planted.txt", FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (note != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(note, program, lstrlenA(program), &written, nullptr);
        WriteFile(note, " <- ", 4, &written, nullptr);
        WriteFile(note, dll, lstrlenA(dll), &written, nullptr);
        WriteFile(note, "\r\n", 2, &written, nullptr);
        CloseHandle(note);
    }
    return TRUE;
}
