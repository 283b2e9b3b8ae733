#include "wizard/main_form_win.h"

#include "engine/environment.h"
#include "engine/files_win.h"
#include "engine/messages_win.h"
#include "engine/paths.h"
#include "engine/startup_win.h"
#include "wizard/main_form_layout_win.h"

TfrmMain& frmMain() {
    static TfrmMain form;
    return form;
}

TfrmMain::TfrmMain() : Form(kMainFormSpec) {}

void TfrmMain::Create(HWND owner) {
    Form::Create(owner, MainFormControls());
    SendMessageA(Control("imgTitle1"), STM_SETICON,
                 reinterpret_cast<WPARAM>(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1))), 0);
    OnClick("btnEnd", [this] { btnEndClick(); });
}

void TfrmMain::ShowPanels(bool title, bool readme, bool main) {
    SetVisible("fraTitle", title);
    SetVisible("fraReadme", readme);
    for (const char* group : {"grpMessage", "grpSetupFolder", "grpOption"}) SetVisible(group, main);
    ProcessMessages();
}

void TfrmMain::FormActivate() {
    // The designed caption of btnEvent is empty and start-up always sets one, so this runs once.
    if (!Text("btnEvent").empty()) return;
    EnvironmentInfo& env = Environment();
    env.StartupErrors.clear();
    welcomePending_ = eulaPending_ = readmePending_ = mainPagePending_ = checkerDone_ = false;
    const std::string argument = FirstArgument();

    HMENU menu = GetSystemMenu(Handle(), FALSE);
    EnableMenuItem(menu, SC_CLOSE, MF_BYCOMMAND | MF_DISABLED | MF_GRAYED);

    DetectEnvironment();
    SetText("lblTitleA2", "Kelvo Setup(on " + env.OsName + ")");
    PrepareWorkFolder(argument);
    if (!env.StartupErrors.empty()) {
        EnterFatalState();
        return;
    }
    SetText("btnEvent", "処理開始(&S)");
}

void TfrmMain::EnterFatalState() {
    SetText("lblMessage", Environment().StartupErrors + "\r\n" + "処理は続行できません。");
    SetText("btnEvent", "処理開始(&S)");
    SetEnabled("btnEvent", false);
    SetText("btnEnd", "終了(&E)");
    SetEnabled("btnEnd", true);
    ShowPanels(false, false, true);
}

void TfrmMain::btnEndClick() { SetModalResult(1); }

bool TfrmMain::FormCloseQuery() { return true; }

void TfrmMain::FormClose() {
    ProcessMessages();
    const std::string tmp = FolderMacros().Get("(Tmp)");
    for (int n = 1; n <= 99 && !tmp.empty(); ++n) {
        const std::string folder = WorkFolderName(tmp, n);
        if (FolderExists(folder)) RemoveFolderWithPatterns(folder, "*.*");
    }
}
