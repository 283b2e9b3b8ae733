// Files, folders, modules, processes and named objects named in code page 932 text. Each
// takes and gives what its A function does (byte lengths, the same results and errors), and
// on the NT family calls the W function with the text converted (system_text_win.h), so a
// Japanese name is the same file on every system code page.
#pragma once

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>

HANDLE CreateFile932(const char* path, DWORD access, DWORD share, SECURITY_ATTRIBUTES* security, DWORD disposition,
                     DWORD flags, HANDLE model);
BOOL DeleteFile932(const char* path);
DWORD GetFileAttributes932(const char* path);
BOOL SetFileAttributes932(const char* path, DWORD attributes);
BOOL MoveFile932(const char* from, const char* to);
BOOL MoveFileEx932(const char* from, const char* to, DWORD flags);  // to may be null: delete
BOOL CopyFile932(const char* from, const char* to, BOOL failIfThere);
BOOL CreateDirectory932(const char* path, SECURITY_ATTRIBUTES* security);
BOOL RemoveDirectory932(const char* path);
BOOL SetCurrentDirectory932(const char* path);

// The caller's WIN32_FIND_DATAA, its names converted back; a long name that code page 932
// makes longer than the field is given by its short name, which finds the same file.
HANDLE FindFirstFile932(const char* pattern, WIN32_FIND_DATAA* data);
BOOL FindNextFile932(HANDLE find, WIN32_FIND_DATAA* data);

// Paths into a buffer of size bytes: the length without the end when it fits, else the
// size needed with it (0 on failure), as the A functions answer.
DWORD GetFullPathName932(const char* path, DWORD size, char* buffer);
DWORD GetShortPathName932(const char* path, char* buffer, DWORD size);
DWORD GetLongPathName932(const char* path, char* buffer, DWORD size);
DWORD GetTempPath932(DWORD size, char* buffer);
UINT GetTempFileName932(const char* folder, const char* prefix, UINT unique, char* buffer);  // MAX_PATH bytes
UINT GetSystemDirectory932(char* buffer, UINT size);
UINT GetWindowsDirectory932(char* buffer, UINT size);
DWORD GetModuleFileName932(HMODULE module, char* buffer, DWORD size);
BOOL GetDiskFreeSpace932(const char* root, DWORD* sectorsPerCluster, DWORD* bytesPerSector, DWORD* freeClusters,
                         DWORD* clusters);
// Fails with ERROR_CALL_NOT_IMPLEMENTED where the system lacks it (Windows 95 before OSR2).
BOOL GetDiskFreeSpaceEx932(const char* root, ULARGE_INTEGER* available, ULARGE_INTEGER* total, ULARGE_INTEGER* free);
// The item list's path, MAX_PATH bytes.
BOOL GetPathFromIDList932(LPCITEMIDLIST list, char* buffer);

HMODULE LoadLibrary932(const char* path);
HMODULE GetModuleHandle932(const char* name);

// The whole command line as the program was started.
std::string CommandLine932();
BOOL CreateProcess932(const char* application, char* commandLine, SECURITY_ATTRIBUTES* processSecurity,
                      SECURITY_ATTRIBUTES* threadSecurity, BOOL inherit, DWORD flags, void* environment,
                      const char* folder, STARTUPINFOA* startup, PROCESS_INFORMATION* process);
HINSTANCE ShellExecute932(HWND window, const char* verb, const char* file, const char* parameters, const char* folder,
                          INT show);
BOOL ShellExecuteEx932(SHELLEXECUTEINFOA* info);

HANDLE CreateMutex932(SECURITY_ATTRIBUTES* security, BOOL owned, const char* name);
ATOM GlobalAddAtom932(const char* name);
