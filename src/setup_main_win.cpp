// The setup program's entry: one copy at a time, four windows, one message loop.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <initializer_list>

#include "engine/code_page_win.h"
#include "engine/system_win.h"
#include "owned_win.h"
#include "engine/messages_win.h"
#include "engine/paths.h"
#include "engine/payload_win.h"
#include "engine/startup_win.h"
#include "engine/unattended_win.h"
#include "install/install_run_win.h"
#include "uninstall/uninstall_run_win.h"
#include "windows/back_form_win.h"
#include "windows/custom_dlg_win.h"
#include "windows/run_view_win.h"
#include "windows/status_form_win.h"
#include "wizard/main_form_win.h"
#include "wizard/script_reading.h"
#include "system_dll_win.h"
#include "system_windows_win.h"
#include "system_files_win.h"

namespace {

void RegisterForms(std::initializer_list<const char*> names) {
    HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1));
    for (const char* name : names) RegisterFormClass(name, icon);
}

// The status window and the shared-file question come into being when a run starts: the
// welcome page appears sooner without them.
void CreateRunWindows() {
    RegisterForms({"TfrmStatus", "TfrmCustomDlg"});
    frmStatus().Create(frmBack().Handle(), frmMain());
    frmCustomDlg().Create(frmBack().Handle());
    if (!Unattended().Active()) return;
    frmCustomDlg().KeepHidden();
    if (Unattended().Options().ui == RunUi::Quiet) frmStatus().KeepHidden();
}

// The view a run reports to: the windows, or in an unattended run the same windows answering for nobody.
RunView& StartRunView() {
    CreateRunWindows();
    static WindowRunView windows(frmMain(), frmStatus(), frmBack(), frmCustomDlg());
    static UnattendedRunView unattended(frmMain(), frmStatus(), frmBack(), frmCustomDlg(), frmMain().WinReboot);
    return Unattended().Active() ? static_cast<RunView&>(unattended) : windows;
}

// /? and a bad switch end the program before anything else; -1 lets it go on.
int AnswerSwitches(const Switches& switches) {
    const std::string help = SwitchHelpText(NameOfPath(ModulePath()));
    if (switches.help) {
        MessageBox932(nullptr, help.c_str(), "Kelvo Setup", MB_OK | MB_ICONINFORMATION);
        return exit_code::kDone;
    }
    std::string bad = switches.bad;
    if (!Unattended().Begin(switches, CommandLine932()) && bad.empty()) bad = "/log " + switches.log;
    if (bad.empty()) return -1;
    Unattended().Log("不正なスイッチ: " + bad);
    if (switches.ui != RunUi::Quiet) {
        const std::string text = "不正なスイッチです: " + bad + "\r\n\r\n" + help;
        MessageBox932(nullptr, text.c_str(), "Kelvo Setup", MB_OK | MB_ICONEXCLAMATION);
    }
    return Unattended().End(exit_code::kBadSwitch);
}

// Without anyone at the screen the wizard walks itself; /passive still shows the backdrop
// and the status window, /quiet no window at all.
int RunWithoutUser(RunUi ui) {
    frmMain().KeepHidden();
    if (ui == RunUi::Quiet) {
        SkipPauses();
        frmBack().KeepHidden();
        frmMain().RunUnattended();
    } else {
        frmBack().SetOnStart([] { frmMain().RunUnattended(); });
        frmBack().Start();
        MSG msg;
        while (GetMessage932(&msg, nullptr, 0, 0) > 0) DispatchWithDialogKeys(msg);
    }
    return Unattended().End();
}

// A one-file package whose payload is not as it was packed installs nothing: not even a
// work folder is made.
int RefuseDamagedPackage(const Switches& switches) {
    const char text[] = "このセットアッププログラムは壊れています。\r\nもう一度入手してください。";
    Unattended().Log(text);
    if (switches.ui != RunUi::Quiet) MessageBox932(nullptr, text, "致命的エラー", MB_OK | MB_ICONSTOP);
    return switches.any ? Unattended().End(exit_code::kStopped) : exit_code::kStopped;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    RestrictDllSearch();
    UseSystemText();
    const Switches switches = ParseSwitches(CommandArguments());
    if (const int code = AnswerSwitches(switches); code >= 0) return code;
    if (OwnPayloadState() == PayloadState::kDamaged) return RefuseDamagedPackage(switches);
    // Made and tested in one call: two copies started together cannot both find it missing.
    OwnedHandle mutex(CreateMutex932(nullptr, FALSE, "KELVOSETUP"));
    if (!mutex.valid() || GetLastError() == ERROR_ALREADY_EXISTS) {
        // Another copy runs: leave without any window (a deployment tool learns why).
        if (!switches.any) return 0;
        Unattended().Log("ほかのセットアップが実行中です。");
        return Unattended().End(exit_code::kAlreadyRunning);
    }
    const ComApartment com;
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    RegisterForms({"TfrmBack", "TfrmMain"});
    frmBack().Create();
    frmMain().Create(frmBack().Handle());
    frmMain().SetRuns(
        [](const InstallChoices& choices) {
            RunView& view = StartRunView();
            const ScriptValues& script = Script();
            RunInstall({choices, view, frmMain().WinReboot, script.SetupString, script.UnSetupString,
                        script.UnSetupTitle, script.ProgramId, script.SetupSpeed});
        },
        [](const UninstallChoices& choices) {
            RunView& view = StartRunView();
            const ScriptValues& script = Script();
            RunUninstall({choices, view, frmMain().WinReboot, script.SetupString, script.UnSetupString});
        });
    int code = 0;
    if (switches.Unattended()) {
        code = RunWithoutUser(switches.ui);
    } else {
        frmBack().SetOnStart([] { frmMain().ShowModal(); });
        frmBack().Start();
        MSG msg;
        while (GetMessage932(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessage932(&msg);
        }
    }
    RemoveUnpackedPackage();
    return code;
}
