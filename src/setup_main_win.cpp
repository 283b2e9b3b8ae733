// The setup program's entry: one copy at a time, four windows, one message loop.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "engine/code_page_win.h"
#include "install/install_run_win.h"
#include "uninstall/uninstall_run_win.h"
#include "windows/back_form_win.h"
#include "windows/custom_dlg_win.h"
#include "windows/status_form_win.h"
#include "wizard/main_form_win.h"
#include "wizard/script_reading.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    HANDLE running = OpenMutexA(MUTEX_ALL_ACCESS, FALSE, "KELVOSETUP");
    if (running) {
        // Another copy runs: leave silently, without any window.
        CloseHandle(running);
        return 0;
    }
    HANDLE mutex = CreateMutexA(nullptr, FALSE, "KELVOSETUP");
    UseSystemCodePage();
    CoInitialize(nullptr);
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    HICON icon = LoadIconA(instance, MAKEINTRESOURCEA(1));
    for (const char* name : {"TfrmBack", "TfrmMain", "TfrmStatus", "TfrmCustomDlg"}) RegisterFormClass(name, icon);
    frmBack().Create();
    frmMain().Create(frmBack().Handle());
    frmStatus().Create(frmBack().Handle(), frmMain());
    frmCustomDlg().Create(frmBack().Handle(), frmMain());
    frmBack().SetOnStart([] { frmMain().ShowModal(); });
    frmMain().SetRuns(
        [] {
            const ScriptValues& script = Script();
            RunInstall({frmMain(), frmStatus(), frmBack(), frmMain().WinReboot, script.SetupString,
                        script.UnSetupString, script.UnSetupTitle, script.ProgramId, script.SetupSpeed});
        },
        [] {
            const ScriptValues& script = Script();
            RunUninstall({frmMain(), frmStatus(), frmBack(), frmCustomDlg(), frmMain().WinReboot, script.SetupString,
                          script.UnSetupString});
        });
    frmBack().Show();

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    CoUninitialize();
    if (mutex) CloseHandle(mutex);
    return 0;
}
