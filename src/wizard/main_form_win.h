#pragma once
// TfrmMain: the wizard window. Start-up runs on its first activation; btnEvent moves the
// wizard forward from the page it stands on, a few flags saying which pages are still to come.
#include <functional>
#include <string>

#include "windows/folder_dialog_win.h"
#include "windows/form_win.h"
#include "windows/run_choices.h"
#include "windows/win_reboot_win.h"

// The page btnEvent was pressed on decides the step; the captions only show it.
enum class WizardPage {
    StartUp,  // before the first page
    Opening,  // uninstall mode before its readme: the next press goes on to the main page
    Welcome,
    Licence,
    Readme,
    Main,
    Run,  // a run's own pages, each waiting for btnEvent to be pressed
    Fatal
};

class TfrmMain : public Form {
public:
    TfrmMain();
    void Create(HWND owner);
    // What btnEvent starts on the main page in install and in uninstall mode.
    void SetRuns(std::function<void(const InstallChoices&)> install,
                 std::function<void(const UninstallChoices&)> uninstall);
    // Start-up and the wizard without anyone at the screen (unattended_win.cpp): every page
    // is passed with its defaults until a run has ended or something stopped it.
    void RunUnattended();
    void ShowPanels(bool title, bool readme, bool main);

    TFolderDialog dlgFolder{"セットアップフォルダを選択してください．"};
    TWinReboot WinReboot;

protected:
    void FormActivate() override;
    bool FormCloseQuery() override;
    void FormClose() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // Start-up (main_form_win.cpp, script_reading_win.cpp); false in the fatal state.
    bool StartUp();
    void EnterFatalState();
    void ReadStartupScript();
    void PrepareMainPage();
    void OfferShortcuts(bool enabled);

    // The wizard step and its pages (wizard_pages_win.cpp).
    void btnEventClick();
    void ShowWelcomePage();
    bool RunInstallChecker();
    void LeaveWelcomePage();
    bool ShowLicencePage();
    void RestoreMemo();
    bool ShowReadmePage();
    void Dispatch(WizardPage from);
    void ShowMainPage();
    void LoadMemo(const std::string& file, const std::string& scrollBars);
    void SetButtons(const std::string& event, const std::string& end);

    // Uninstall mode's main page (uninstall_page_win.cpp).
    void PrepareUninstallPage();

    // The main page, read once when a run starts (wizard_pages_win.cpp, uninstall_page_win.cpp).
    InstallChoices ReadInstallChoices() const;
    UninstallChoices ReadUninstallChoices();

    // The unattended walk (unattended_win.cpp).
    void ApplyFolderSwitch();
    void PressThroughWizard();

    // Checks before installation (install_checks_win.cpp).
    void RunInstallChecks();

    void btnEndClick();
    void btnReferClick();
    void chkEULAReadClick();
    void txtFolderChange();

    WizardPage page_ = WizardPage::StartUp;
    bool welcomePending_ = false;
    bool eulaPending_ = false;
    bool readmePending_ = false;
    bool mainPagePending_ = false;
    bool checkerDone_ = false;
    bool memoWhite_ = false;
    OwnedGdi<HBRUSH> memoBrush_;
    bool cleanupAllOnly_ = false;     // the uninstall page offers only "everything below the folder"
    std::string cleanupPatterns_[4];  // what each uninstall option box deletes
    std::function<void(const InstallChoices&)> runInstall_;
    std::function<void(const UninstallChoices&)> runUninstall_;
};

TfrmMain& frmMain();
