#include "system_windows_win.h"

#include <cstddef>
#include <cstring>
#include <cwchar>
#include <memory>

#include "system_dll_win.h"
#include "system_text_win.h"

namespace {

// A name or text for a W function. Null and resource numbers (MAKEINTRESOURCE, MAKEINTATOM)
// pass through as they are.
class WideArg {
public:
    explicit WideArg(const char* text) : text_(text), wide_(IS_INTRESOURCE(text) ? std::wstring() : Wide(text)) {}
    operator const wchar_t*() const {  // NOLINT: made for the calls
        return IS_INTRESOURCE(text_) ? reinterpret_cast<const wchar_t*>(text_) : wide_.c_str();
    }
    LPARAM param() const { return reinterpret_cast<LPARAM>(static_cast<const wchar_t*>(*this)); }

private:
    const char* text_;
    std::wstring wide_;
};

}  // namespace

ATOM RegisterClassEx932(const WNDCLASSEXA* windowClass) noexcept {
    if (!WideCalls()) return RegisterClassExA(windowClass);
    WNDCLASSEXW wide;
    std::memcpy(&wide, windowClass, sizeof wide);  // the layouts agree; only the names differ
    const WideArg menu(windowClass->lpszMenuName), name(windowClass->lpszClassName);
    wide.lpszMenuName = menu;
    wide.lpszClassName = name;
    return RegisterClassExW(&wide);
}

BOOL GetClassInfoEx932(HINSTANCE instance, const char* name, WNDCLASSEXA* windowClass) noexcept {
    if (!WideCalls()) return GetClassInfoExA(instance, name, windowClass);
    const BOOL found = GetClassInfoExW(instance, WideArg(name), reinterpret_cast<WNDCLASSEXW*>(windowClass));
    windowClass->lpszMenuName = nullptr;
    windowClass->lpszClassName = name;
    return found;
}

HWND CreateWindowEx932(DWORD exStyle, const char* className, const char* text, DWORD style, int x, int y, int width,
                       int height, HWND parent, HMENU menu, HINSTANCE instance, void* param) noexcept {
    if (!WideCalls())
        return CreateWindowExA(exStyle, className, text, style, x, y, width, height, parent, menu, instance, param);
    return CreateWindowExW(exStyle, WideArg(className), WideArg(text), style, x, y, width, height, parent, menu,
                           instance, param);
}

HWND FindWindow932(const char* className, const char* title) noexcept {
    if (!WideCalls()) return FindWindowA(className, title);
    return FindWindowW(WideArg(className), WideArg(title));
}

LRESULT DefWindowProc932(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    return (IsWindowUnicode(window) ? DefWindowProcW : DefWindowProcA)(window, message, wParam, lParam);
}

LRESULT CallWindowProc932(WNDPROC procedure, HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    return (IsWindowUnicode(window) ? CallWindowProcW : CallWindowProcA)(procedure, window, message, wParam, lParam);
}

LONG_PTR SetWindowLongPtr932(HWND window, int index, LONG_PTR value) noexcept {
    return IsWindowUnicode(window) ? SetWindowLongPtrW(window, index, value) : SetWindowLongPtrA(window, index, value);
}

BOOL GetMessage932(MSG* msg, HWND window, UINT first, UINT last) noexcept {
    return (WideCalls() ? GetMessageW : GetMessageA)(msg, window, first, last);
}

BOOL PeekMessage932(MSG* msg, HWND window, UINT first, UINT last, UINT remove) noexcept {
    return (WideCalls() ? PeekMessageW : PeekMessageA)(msg, window, first, last, remove);
}

LRESULT DispatchMessage932(const MSG* msg) noexcept { return (WideCalls() ? DispatchMessageW : DispatchMessageA)(msg); }

BOOL IsDialogMessage932(HWND dialog, MSG* msg) noexcept {
    return (WideCalls() ? IsDialogMessageW : IsDialogMessageA)(dialog, msg);
}

BOOL SetWindowText932(HWND window, const char* text) noexcept {
    if (!WideCalls()) return SetWindowTextA(window, text);
    return SetWindowTextW(window, WideArg(text));
}

std::string WindowText932(HWND window) noexcept {
    const bool wide = WideCalls();
    const int size = (wide ? GetWindowTextLengthW(window) : GetWindowTextLengthA(window)) + 1;
    // A buffer of UTF-16 units holds the bytes of the A function just as well.
    const auto buffer = std::make_unique<wchar_t[]>(static_cast<std::size_t>(size));
    wchar_t* units = buffer.get();
    char* bytes = reinterpret_cast<char*>(units);
    if (wide) return Narrow(std::wstring_view(units, static_cast<std::size_t>(GetWindowTextW(window, units, size))));
    return std::string(bytes, static_cast<std::size_t>(GetWindowTextA(window, bytes, size)));
}

LRESULT SendTextMessage932(HWND window, UINT message, WPARAM wParam, const char* text) noexcept {
    if (!WideCalls()) return SendMessageA(window, message, wParam, reinterpret_cast<LPARAM>(text));
    return SendMessageW(window, message, wParam, WideArg(text).param());
}

int MessageBox932(HWND owner, const char* text, const char* caption, UINT flags) noexcept {
    if (!WideCalls()) return MessageBoxA(owner, text, caption, flags);
    return MessageBoxW(owner, WideArg(text), WideArg(caption), flags);
}

int DrawText932(HDC dc, const char* text, int length, RECT* box, UINT format) noexcept {
    if (!WideCalls()) return DrawTextA(dc, text, length, box, format);
    const std::wstring wide =
        Wide(length < 0 ? std::string_view(text) : std::string_view(text, static_cast<std::size_t>(length)));
    return DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), box, format);
}

HFONT CreateFontIndirect932(const LOGFONTA* font) noexcept {
    if (!WideCalls()) return CreateFontIndirectA(font);
    LOGFONTW wide;
    std::memcpy(&wide, font, offsetof(LOGFONTA, lfFaceName));  // the layouts agree up to the face name
    // 31 bytes of code page 932 are never more than 31 UTF-16 units.
    const std::wstring face = Wide(std::string_view(font->lfFaceName, strnlen(font->lfFaceName, LF_FACESIZE - 1)));
    std::wmemcpy(wide.lfFaceName, face.data(), face.size());
    wide.lfFaceName[face.size()] = L'\0';
    return CreateFontIndirectW(&wide);
}

LPITEMIDLIST SHBrowseForFolder932(BROWSEINFOA* info) noexcept {
    const auto unicode = ShellWide<decltype(&SHBrowseForFolderW)>("SHBrowseForFolderW");
    if (!unicode) return SHBrowseForFolderA(info);
    BROWSEINFOW wide;
    std::memcpy(&wide, info, sizeof wide);  // the layouts agree; only the texts differ
    wchar_t display[MAX_PATH] = {};
    const WideArg title(info->lpszTitle);
    wide.pszDisplayName = info->pszDisplayName ? display : nullptr;
    wide.lpszTitle = title;
    LPITEMIDLIST item = unicode(&wide);
    info->iImage = wide.iImage;
    if (item && info->pszDisplayName) {
        const std::string name = Narrow(display);
        const std::size_t n = name.size() < MAX_PATH ? name.size() : 0;
        std::memcpy(info->pszDisplayName, name.data(), n);
        info->pszDisplayName[n] = '\0';
    }
    return item;
}

void SetBrowseSelection932(HWND browser, const char* path) noexcept {
    if (!WideCalls()) SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(path));
    else SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, WideArg(path).param());
}
