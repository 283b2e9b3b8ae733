// The checks before installation, shown over the welcome page.
#include "engine/environment.h"
#include "engine/messages_win.h"
#include "engine/paths.h"
#include "wizard/install_checks.h"
#include "wizard/main_form_win.h"
#include "wizard/script_reading.h"
#include "wizard/setup_sources_win.h"

void TfrmMain::RunInstallChecks() {
    const ScriptValues& values = Script();
    const CheckContext context{Environment().ScriptPath, Environment().OsName, FolderMacros().Get("(Win)"),
                               values.InstallFolderText, values.SetupString,   values.UnSetupString};
    const CheckFinding finding = ::RunInstallChecks(SystemSources(), context);
    if (finding.severity == CheckSeverity::None) return;
    const bool stop = finding.severity == CheckSeverity::Stop;
    ShowMessageBox(finding.text, finding.caption, MB_OK | MB_ICONEXCLAMATION,
                   {IDOK, nullptr, stop ? exit_code::kRefused : 0});
    if (!stop) return;
    Focus("btnEnd");
    SetEnabled("btnEvent", false);
}
