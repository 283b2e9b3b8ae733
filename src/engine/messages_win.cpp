#include "engine/messages_win.h"

#include "engine/code_page.h"
#include "engine/strings.h"
#include "system_windows_win.h"
#include "system_text_win.h"

namespace {
HWND applicationWindow = nullptr;
}

HWND ApplicationWindow() { return applicationWindow; }
void SetApplicationWindow(HWND window) { applicationWindow = window; }

int ShowMessageBox(const std::string& text, const std::string& caption, unsigned flags, const FixedAnswer& fixed) {
    if (Unattended().Active()) return Unattended().Answer(text, caption, fixed);
    HWND owner = GetActiveWindow();
    if (owner == nullptr) owner = applicationWindow;
    return MessageBox932(owner, text.c_str(), caption.c_str(), flags | MB_TASKMODAL);
}

std::string SystemErrorText(unsigned long code) {
    if (code == 0) return "";
    constexpr DWORD kFlags =
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    std::string text;
    if (WideCalls()) {
        // The system's message in its own language, which code page 932 may lack letters of.
        wchar_t* buffer = nullptr;
        const DWORD length = FormatMessageW(kFlags, nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
        if (length) text = Narrow(std::wstring_view(buffer, length));
        if (buffer) LocalFree(buffer);
    } else {
        char* buffer = nullptr;
        const DWORD length = FormatMessageA(kFlags, nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
        if (length) text.assign(buffer, length);
        if (buffer) LocalFree(buffer);
    }
    return MapString(text, kMapFullWidth) + "\r\n";
}

void DispatchWithDialogKeys(MSG& msg) {
    HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (root && IsDialogMessage932(root, &msg)) return;
    TranslateMessage(&msg);
    DispatchMessage932(&msg);
}

bool ProcessMessages() {
    MSG msg;
    while (PeekMessage932(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        DispatchWithDialogKeys(msg);
    }
    return true;
}

void WaitWithMessages(HANDLE handle) {
    for (;;) {
        DWORD r = MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_ALLINPUT);
        if (r != WAIT_OBJECT_0 + 1) return;  // signalled, or the wait itself failed
        if (!ProcessMessages()) return;
    }
}

namespace {
bool pausesSkipped = false;
}  // namespace

void SkipPauses() { pausesSkipped = true; }

void PauseWithMessages(unsigned milliseconds) {
    if (pausesSkipped) {
        ProcessMessages();
        return;
    }
    const DWORD start = GetTickCount();
    for (;;) {
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= milliseconds) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - elapsed, QS_ALLINPUT);
        ProcessMessages();
    }
}
