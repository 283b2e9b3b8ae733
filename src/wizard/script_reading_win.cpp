// Start-up reading: the script's titles and words, the first page, then the folder proposal
// and offers of the main page.
#include "engine/environment.h"
#include "engine/ini_file_win.h"
#include "engine/paths.h"
#include "windows/back_form_win.h"
#include "wizard/main_form_win.h"
#include "wizard/script_reading.h"
#include "wizard/setup_sources_win.h"

void TfrmMain::OfferShortcuts(bool enabled) {
    const ShortcutOffers offers = ReadShortcutOffers(SystemSources(), Environment().ScriptPath);
    const std::pair<bool, const char*> boxes[] = {{offers.desktop, "chkSCutDesktop"},
                                                  {offers.startMenu, "chkSCutStartMenu"},
                                                  {offers.startUp, "chkSCutStartUp"},
                                                  {offers.sendTo, "chkSCutSendTo"}};
    for (const auto& [offered, box] : boxes) {
        if (!offered) continue;
        SetEnabled(box, enabled);
        SetChecked(box, true);
    }
}

void TfrmMain::ReadStartupScript() {
    const EnvironmentInfo& env = Environment();
    const std::string& script = env.ScriptPath;
    const bool uninstall = env.RunMode == SetupMode::Unsetup;
    ScriptValues& values = Script();
    values = ReadScriptValues(SystemSources(), script, uninstall);

    frmBack().ShowBanner(
        BannerText(ReadIniValue("Title", "CopyRight1", "", script), ReadIniValue("Title", "CopyRight2", "", script)));
    const std::string& title = uninstall ? values.UnSetupTitle : values.SetupTitle;
    SetCaption(title);
    frmBack().SetTitle(title);
    SetText("btnEnd", values.SetupString + "終了(&E)");

    if (uninstall) {
        PrepareMainPage();
        PrepareUninstallPage();
        return;
    }
    welcomePending_ = mainPagePending_ = eulaPending_ = readmePending_ = true;
    checkerDone_ = false;
    btnEventClick();
    // The main page is hidden behind the welcome page: filled once that is on the screen.
    PrepareMainPage();
    RunInstallChecks();
}

void TfrmMain::PrepareMainPage() {
    const EnvironmentInfo& env = Environment();
    const std::string& script = env.ScriptPath;
    const bool uninstall = env.RunMode == SetupMode::Unsetup;
    ScriptValues& values = Script();
    const std::string folder = uninstall ? ReadIniValue("SetupFolder", "Folder", "", script)
                                         : ProposeInstallFolder(SystemSources(), script, FolderMacros().Get("(Win)"));
    values.InstallFolderText = AddPathDelimiter(ExpandFolderMacros(folder), "B");
    SetText("txtFolder", values.InstallFolderText);

    if (!uninstall) OfferShortcuts(values.Enabled);
    SetText("lblMessage", values.Message);
    if (!uninstall)
        for (const char* choice : {"txtFolder", "btnRefer", "chkOverWrite"}) SetEnabled(choice, values.Enabled);

    SetText("grpSetupFolder", values.SetupString + "フォルダ");
    SetText("grpOption", values.SetupString + "オプション");
    txtFolderChange();
}
