#include "wizard/main_form_win.h"

#include <shlobj.h>

#include "engine/environment.h"
#include "engine/file_delete_win.h"
#include "engine/files_win.h"
#include "engine/held_files_win.h"
#include "engine/system_win.h"
#include "engine/messages_win.h"
#include "engine/paths.h"
#include "engine/payload_win.h"
#include "engine/startup_win.h"
#include "windows/back_form_win.h"
#include "wizard/main_form_layout_win.h"
#include "wizard/script_reading.h"
#include "wizard/wizard_texts.h"

TfrmMain& frmMain() {
    static TfrmMain form;
    return form;
}

TfrmMain::TfrmMain() : Form(kMainForm) {}

void TfrmMain::Create(HWND owner) {
    Form::Create(owner, MainFormControls());
    memoBrush_.reset(CreateSolidBrush(RGB(255, 255, 255)));
    OnClick("btnEvent", [this] { btnEventClick(); });
    OnClick("btnEnd", [this] { btnEndClick(); });
    OnClick("btnRefer", [this] { btnReferClick(); });
    OnClick("chkEULARead", [this] { chkEULAReadClick(); });
    OnChange("txtFolder", [this] { txtFolderChange(); });
}

void TfrmMain::SetRuns(std::function<void(const InstallChoices&)> install,
                       std::function<void(const UninstallChoices&)> uninstall) {
    runInstall_ = std::move(install);
    runUninstall_ = std::move(uninstall);
}

void TfrmMain::ShowPanels(bool title, bool readme, bool main) {
    SetVisible("fraTitle", title);
    SetVisible("fraReadme", readme);
    for (const char* group : {"grpMessage", "grpSetupFolder", "grpOption"}) SetVisible(group, main);
    ResumePainting();
    ProcessMessages();
}

void TfrmMain::FormActivate() {
    // The designed caption of btnEvent is empty and start-up always sets one, so this runs once.
    if (!Text("btnEvent").empty()) return;
    StartUp();
}

bool TfrmMain::StartUp() {
    EnvironmentInfo& env = Environment();
    env.StartupErrors.clear();
    welcomePending_ = eulaPending_ = readmePending_ = mainPagePending_ = checkerDone_ = false;
    page_ = WizardPage::StartUp;
    const std::string argument = FirstArgument();

    HMENU menu = GetSystemMenu(Handle(), FALSE);
    EnableMenuItem(menu, SC_CLOSE, MF_BYCOMMAND | MF_DISABLED | MF_GRAYED);

    // Start-up sets captions on the visible window and its buttons, and each would paint at
    // once; held, they paint in one round with the first page. (Holding the backdrop too
    // was measured slower: its paint then comes after the first page's.)
    HoldPainting();
    DetectEnvironment();
    SetText("lblTitleA2", "Kelvo Setup(on " + env.OsName + ")");
    PrepareWorkFolder(argument);
    if (!env.StartupErrors.empty()) {
        EnterFatalState();
        return false;
    }
    ReadStartupScript();
    ResumePainting();
    ApplyFolderSwitch();
    return true;
}

void TfrmMain::EnterFatalState() {
    page_ = WizardPage::Fatal;
    SetText("lblMessage", Environment().StartupErrors + "\r\n" + "処理は続行できません。");
    SetText("btnEvent", "処理開始(&S)");
    SetEnabled("btnEvent", false);
    SetText("btnEnd", "終了(&E)");
    SetEnabled("btnEnd", true);
    ShowPanels(false, false, true);
}

void TfrmMain::btnEndClick() { SetModalResult(1); }

void TfrmMain::btnReferClick() {
    if (dlgFolder.BrowseFolder(Handle())) SetText("txtFolder", AddPathDelimiter(dlgFolder.Folder(), "B"));
}

void TfrmMain::chkEULAReadClick() { SetEnabled("btnEvent", IsChecked("chkEULARead")); }

void TfrmMain::txtFolderChange() {
    const std::string drive = DriveOfPath(Text("txtFolder"));
    const bool exists = FolderExists(drive);
    FreeSpace space{false, -1};
    if (exists) {
        space = QueryFreeSpace(drive);
        if (!space.ok) space = QueryFreeSpaceByClusters(drive);
    }
    SetText("grpSetupFolder", FreeSpaceCaption(exists, space.ok, space.bytes));
}

bool TfrmMain::FormCloseQuery() {
    // No question after a finished run, in the fatal state, on the licence page, or while blocked.
    const bool ask = page_ != WizardPage::Licence && page_ != WizardPage::Fatal &&
                     !IsWindowEnabled(frmBack().Handle()) && IsEnabled("btnEvent");
    if (!ask) return true;
    const ScriptValues& script = Script();
    if (ShowMessageBox(QuitQuestion(script.SetupString, script.UnSetupString), "終了確認",
                       MB_YESNO | MB_ICONQUESTION) != IDYES)
        return false;
    EnableWindow(frmBack().Handle(), TRUE);
    return true;
}

void TfrmMain::FormClose() {
    ProcessMessages();
    ReleaseHeldFiles();
    RemoveUnpackedPackage();
    const std::string tmp = FolderMacros().Get("(Tmp)");
    for (int n = 1; n <= 99 && !tmp.empty(); ++n) {
        const std::string folder = WorkFolderName(tmp, n);
        if (FolderExists(folder)) (void)RemoveFolderWithPatterns(folder, "*.*");  // another copy's may be in use
    }
    if (!IsShown()) {
        // A run has hidden the window: let the shell pick up new associations and files.
        SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
        SHChangeNotify(SHCNE_UPDATEITEM, SHCNF_IDLIST, nullptr, nullptr);
        SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_IDLIST, nullptr, nullptr);
    }
}

LRESULT TfrmMain::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CTLCOLORSTATIC && IsControl(reinterpret_cast<HWND>(lParam), "txtReadme")) {
        // The licence shows on white; otherwise the memo takes the system window colour.
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetBkColor(dc, memoWhite_ ? RGB(255, 255, 255) : GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(memoWhite_ ? memoBrush_.get() : GetSysColorBrush(COLOR_WINDOW));
    }
    return Form::WindowProc(message, wParam, lParam);
}
