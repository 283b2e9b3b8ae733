// The wizard walked by the program itself, for deployment tools: each page is passed as a
// user who accepts every default would pass it.
#include "engine/environment.h"
#include "engine/paths.h"
#include "engine/unattended_win.h"
#include "wizard/main_form_win.h"

namespace {
// More presses than any path through the pages needs: a wizard that does not move on is stuck.
constexpr int kMaxPresses = 12;
}  // namespace

void TfrmMain::RunUnattended() {
    UnattendedRun& run = Unattended();
    if (StartUp()) {
        PressThroughWizard();
    } else {
        run.Log(Environment().StartupErrors);
        run.Stop(exit_code::kStopped);
    }
    FormClose();
}

void TfrmMain::ApplyFolderSwitch() {
    const std::string& dir = Unattended().Options().dir;
    if (Environment().RunMode == SetupMode::Unsetup || dir.empty()) return;
    SetText("txtFolder", AddPathDelimiter(ExpandFolderMacros(dir), "B"));
    txtFolderChange();
    Unattended().Log("インストールフォルダ（/dir）: " + Text("txtFolder"));
}

void TfrmMain::PressThroughWizard() {
    UnattendedRun& run = Unattended();
    for (int presses = 0; presses < kMaxPresses; ++presses) {
        if (run.Stopped() || run.Finished()) return;
        if (IsVisible("chkEULARead") && !IsChecked("chkEULARead")) {
            SetChecked("chkEULARead", true);
            chkEULAReadClick();
            run.Log("使用許諾契約書に同意しました（無人実行）。");
        }
        if (!IsEnabled("btnEvent")) break;
        btnEventClick();
    }
    if (run.Stopped() || run.Finished()) return;
    run.Log("ウィザードが先へ進めません: " + Text("lblMessage"));
    run.Stop(exit_code::kStopped);
}
