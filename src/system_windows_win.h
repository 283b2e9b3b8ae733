// Windows, controls, fonts, message boxes, the folder browser and the message loop with code
// page 932 texts. Each takes and gives what its A function does; on the NT family the windows
// are Unicode and texts reach them as UTF-16 converted from code page 932 (system_text_win.h),
// so a Japanese caption reads right on every system code page. The 95 family keeps the A
// functions and the bytes as they are. None throws but for want of memory, which ends the
// program either way: noexcept spares setup.exe their unwinding tables.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>

ATOM RegisterClassEx932(const WNDCLASSEXA* windowClass) noexcept;
BOOL GetClassInfoEx932(HINSTANCE instance, const char* name, WNDCLASSEXA* windowClass) noexcept;  // no menu name back
HWND CreateWindowEx932(DWORD exStyle, const char* className, const char* text, DWORD style, int x, int y, int width,
                       int height, HWND parent, HMENU menu, HINSTANCE instance, void* param) noexcept;
HWND FindWindow932(const char* className, const char* title) noexcept;

// A window procedure's calls follow the window's own kind (Unicode or not): a window made
// before a test switched the boundary still gets the messages it understands.
LRESULT DefWindowProc932(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
LRESULT CallWindowProc932(WNDPROC procedure, HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
LONG_PTR SetWindowLongPtr932(HWND window, int index, LONG_PTR value) noexcept;  // GWLP_WNDPROC keeps the window's kind

BOOL GetMessage932(MSG* msg, HWND window, UINT first, UINT last) noexcept;
BOOL PeekMessage932(MSG* msg, HWND window, UINT first, UINT last, UINT remove) noexcept;
LRESULT DispatchMessage932(const MSG* msg) noexcept;
BOOL IsDialogMessage932(HWND dialog, MSG* msg) noexcept;

BOOL SetWindowText932(HWND window, const char* text) noexcept;
std::string WindowText932(HWND window) noexcept;
// A message whose lParam is a text for the control (CB_ADDSTRING, CB_FINDSTRINGEXACT, ...).
LRESULT SendTextMessage932(HWND window, UINT message, WPARAM wParam, const char* text) noexcept;

int MessageBox932(HWND owner, const char* text, const char* caption, UINT flags) noexcept;

// length in bytes, or -1 up to the end.
int DrawText932(HDC dc, const char* text, int length, RECT* box, UINT format) noexcept;
// The face name as UTF-16, so a Japanese face is found by its name on any system.
HFONT CreateFontIndirect932(const LOGFONTA* font) noexcept;

// The display name comes back empty when it does not fit MAX_PATH bytes. The callback's
// messages are those of the browser made; it chooses the start folder with SetBrowseSelection932.
LPITEMIDLIST SHBrowseForFolder932(BROWSEINFOA* info) noexcept;
void SetBrowseSelection932(HWND browser, const char* path) noexcept;
