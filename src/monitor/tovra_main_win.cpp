// Tovra: shows the machine's global and local IPv4 addresses and re-checks them.
#include <windows.h>
#include <objbase.h>

#include "system_text_win.h"
#include "monitor/main_window_win.h"
#include "monitor/shell_win.h"
#include "system_dll_win.h"
#include "system_windows_win.h"
#include "owned_win.h"
#include "system_files_win.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    RestrictDllSearch();
    SetTextBoundary(SystemTextBoundary());
    // One monitor per session: a second start only brings the first to the front.
    const OwnedHandle mutex(CreateMutex932(nullptr, FALSE, "TovraIPMonitor"));
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        ActivatePrevInstance("FrmMain", "Tovra");
        return 0;
    }
    const ComApartment com;
    FrmMain form;
    if (form.Form_Load(instance, showCommand)) {
        MSG msg;
        while (GetMessage932(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessage932(&msg);
        }
    }
    return 0;
}
