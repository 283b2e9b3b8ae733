// The wizard step: welcome, install checker, licence, readme and main page, then what the
// page that btnEvent was pressed on leads to.

#include "engine/environment.h"
#include "engine/file_delete_win.h"
#include "engine/files_win.h"
#include "engine/system_win.h"
#include "engine/ini_file_win.h"
#include "engine/messages_win.h"
#include "engine/paths.h"
#include "engine/payload_win.h"
#include "wizard/main_form_win.h"
#include "wizard/script_reading.h"
#include "wizard/wizard_texts.h"

namespace {

constexpr int kCheckBoxRoom = 24;  // the memo gives up this much height to chkEULARead

// A package file named relative to the setup program's folder; empty stays empty.
std::string PackageFile(const std::string& name) { return name.empty() ? name : PackageFilePath(name); }

std::string ScriptValue(const char* section, const char* key, const std::string& defaultValue = "") {
    return ReadIniValue(section, key, defaultValue, Environment().ScriptPath);
}

// The edit control breaks lines only at CR LF.
std::string WithCrLf(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
        out += text[i];
    }
    return out;
}

}  // namespace

void TfrmMain::SetButtons(const std::string& event, const std::string& end) {
    SetText("btnEvent", event);
    SetText("btnEnd", end);
    SetEnabled("btnEvent", true);
    SetEnabled("btnEnd", true);
    Focus("btnEvent");
}

void TfrmMain::btnEventClick() {
    const WizardPage from = page_;
    if (welcomePending_) {
        ShowWelcomePage();
        return;
    }
    if (!RunInstallChecker()) return;
    SetEnabled("btnEvent", true);
    if (IsVisible("fraTitle")) LeaveWelcomePage();
    if (eulaPending_ && ShowLicencePage()) return;
    RestoreMemo();
    if (readmePending_ && ShowReadmePage()) return;
    if (mainPagePending_) {
        mainPagePending_ = false;
        page_ = WizardPage::Main;
        ShowPanels(false, false, true);
        SetText("btnEvent", Script().SetupString + "開始(&S)");
        SetText("btnEnd", Script().SetupString + "終了(&E)");
        SetEnabled("btnEvent", true);
        SetEnabled("btnEnd", true);
    }
    Dispatch(from);
}

void TfrmMain::ShowWelcomePage() {
    welcomePending_ = false;
    page_ = WizardPage::Welcome;
    const std::string& s = Script().SetupString;
    // The page is filled before it shows, so that it is painted once, with its text.
    const bool nt = Environment().OsFamily == WindowsFamily::Nt;
    SetText("lblTitleMessage", WelcomeText(ScriptValue("Title", "Program"), s, nt));
    SetButtons(s + "続行(&C)", s + "終了(&E)");
    ShowPanels(true, false, false);
}

// Runs the package's checker once; false when its answer blocks the installation.
bool TfrmMain::RunInstallChecker() {
    const std::string checker = PackageFile(ScriptValue("Extend", "InstallChecker"));
    if (checkerDone_ || checker.empty() || !FileExists(checker)) return true;
    SetEnabled("btnEvent", false);
    SetEnabled("btnEnd", false);
    // A checker that could not start leaves no result file: the reading below says so.
    (void)RunAndWait(checker, "");
    const std::string resultFile = FolderMacros().Get("(Win)") + "KSRESULT.INI";
    const CheckerResult result = InterpretCheckerResult(ReadIniValue("CheckResult", "Result", "", resultFile),
                                                        ReadIniValue("CheckResult", "Message", "", resultFile));
    (void)ShellDeleteFile(resultFile);  // a result left behind is read by no one: the next check writes anew
    SetEnabled("btnEnd", true);
    SetForegroundWindow(Handle());
    checkerDone_ = true;
    if (!result.proceed) {
        ShowMessageBox(CheckerRefusal(Script().SetupString), "警告", MB_OK | MB_ICONEXCLAMATION,
                       {IDOK, nullptr, exit_code::kRefused});
        Focus("btnEnd");
        return false;
    }
    if (!result.message.empty()) ShowMessageBox(result.message, "情報", MB_OK | MB_ICONINFORMATION);
    return true;
}

void TfrmMain::LeaveWelcomePage() {
    SetVisible("fraTitle", false);
    Hide();
    ProcessMessages();
    PauseWithMessages(1000);
    Show();
}

void TfrmMain::LoadMemo(const std::string& file, const std::string& scrollBars) {
    SetText("txtReadme", WithCrLf(ReadWholeFile(file)));
    unsigned flags = 0;
    if (scrollBars == "ssVertical") flags = kVScroll;
    else if (scrollBars == "ssHorizontal") flags = kHScroll;
    else if (scrollBars == "ssBoth") flags = kVScroll | kHScroll;
    else return;  // any other value keeps the current scroll bars
    SetFlags("txtReadme", flags);
}

bool TfrmMain::ShowLicencePage() {
    eulaPending_ = false;
    const std::string file = PackageFile(ScriptValue("EULA", "File"));
    if (file.empty() || !FileExists(file)) return false;
    page_ = WizardPage::Licence;
    SetText("fraReadme", "使用許諾契約書");
    SetText("btnEvent", "同意する(&A)");
    SetText("btnEnd", "同意しない(&N)");
    SetEnabled("btnEnd", true);
    SetEnabled("btnEvent", false);
    memoWhite_ = true;
    LoadMemo(file, ScriptValue("EULA", "ScrollBars", "ssVertical"));
    if (ScriptValue("EULA", "CheckBox") != "Hide") {
        SetChecked("chkEULARead", false);
        SetVisible("chkEULARead", true);
        RECT memo = Bounds("txtReadme");
        memo.bottom -= kCheckBoxRoom;
        SetBounds("txtReadme", memo);
    } else {
        SetEnabled("btnEvent", true);
        Focus("btnEvent");
    }
    ShowPanels(false, true, false);
    return true;
}

void TfrmMain::RestoreMemo() {
    memoWhite_ = false;
    InvalidateRect(Control("txtReadme"), nullptr, TRUE);
    if (!IsVisible("chkEULARead")) return;
    SetVisible("chkEULARead", false);
    RECT memo = Bounds("txtReadme");
    memo.bottom += kCheckBoxRoom;
    SetBounds("txtReadme", memo);
}

bool TfrmMain::ShowReadmePage() {
    readmePending_ = false;
    const bool uninstall = Environment().RunMode == SetupMode::Unsetup;
    const ScriptValues& values = Script();
    std::string file;
    if (uninstall) {
        file = ScriptValue("BeforeUnInstall", "ReadmeFile");
        const std::string folder = ScriptValue("SetupFolder", "Folder");
        if (!file.empty() && !folder.empty()) file = AddPathDelimiter(folder, "B") + RemovePathDelimiter(file, "T");
    } else {
        file = PackageFile(ScriptValue("Readme", "File"));
    }
    if (file.empty() || !FileExists(file)) return false;
    page_ = WizardPage::Readme;
    LoadMemo(file, ScriptValue("Readme", "ScrollBars", "ssVertical"));
    const std::string& word = uninstall ? values.UnSetupString : values.SetupString;
    SetText("fraReadme", uninstall ? word + "の前にお読みください。" : ScriptValue("Readme", "Title"));
    SetButtons(word + "続行(&C)", word + "終了(&E)");
    ShowPanels(false, true, false);
    return true;
}

void TfrmMain::Dispatch(WizardPage from) {
    const bool uninstall = Environment().RunMode == SetupMode::Unsetup;
    switch (from) {
        case WizardPage::Opening:
        case WizardPage::Welcome:
        case WizardPage::Readme: ShowMainPage(); break;
        case WizardPage::Main:
            page_ = WizardPage::Run;
            if (uninstall && runUninstall_) runUninstall_(ReadUninstallChoices());
            if (!uninstall && runInstall_) runInstall_(ReadInstallChoices());
            break;
        case WizardPage::Run: SetEnabled("btnEvent", false); break;  // the run's page waits for that
        case WizardPage::StartUp:
        case WizardPage::Licence:
        case WizardPage::Fatal: break;
    }
}

void TfrmMain::ShowMainPage() {
    const ScriptValues& values = Script();
    page_ = WizardPage::Main;
    ShowPanels(false, false, true);
    const bool uninstall = Environment().RunMode == SetupMode::Unsetup;
    SetText("btnEvent", (uninstall ? values.UnSetupString : values.SetupString) + "開始(&S)");
}

InstallChoices TfrmMain::ReadInstallChoices() const {
    return {Text("txtFolder"),           IsChecked("chkOverWrite"),
            IsChecked("chkSCutDesktop"), IsChecked("chkSCutStartMenu"),
            IsChecked("chkSCutStartUp"), IsChecked("chkSCutSendTo")};
}
