// Uninstall mode turns the main page into the uninstall page: the folder read-only and the
// shortcut boxes reused for the uninstall options of the log.
#include "engine/environment.h"
#include "engine/ini_file_win.h"
#include "wizard/main_form_win.h"
#include "wizard/script_reading.h"
#include "wizard/wizard_texts.h"

namespace {
const char* const kOptionBoxes[] = {"chkSCutDesktop", "chkSCutStartMenu", "chkSCutStartUp", "chkSCutSendTo"};
}

void TfrmMain::PrepareUninstallPage() {
    const std::string& u = Script().UnSetupString;
    const std::string& log = Environment().ScriptPath;
    SetText("grpSetupFolder", u + "フォルダ");
    SendMessageA(Control("txtFolder"), EM_SETREADONLY, TRUE, 0);
    SetEnabled("txtFolder", true);
    SetButtons(u + "続行(&C)", u + "終了(&E)");
    page_ = WizardPage::Opening;
    SetText("grpOption", u + "オプション");

    SetVisible("chkOverWrite", false);
    SetText("fraShortCut", "ファイルの追加削除");
    const RECT overwrite = Bounds("chkOverWrite"), frame = Bounds("fraShortCut"), option = Bounds("grpOption");
    SetBounds("fraShortCut",
              RECT{frame.left, overwrite.top, frame.right, overwrite.top + (option.bottom - option.top) - 24});

    const UninstallOptions options = ParseUninstallOptions(ReadIniValue("UnSetupOption", "CheckBox", "0,0,0,0", log));
    cleanupAllOnly_ = options.deleteAll;
    if (options.deleteAll) {
        SetText("chkSCutDesktop", u + "フォルダ以下の全ファイル・フォルダ");
        const RECT box = Bounds("chkSCutDesktop"), inner = Bounds("fraShortCut");
        SetBounds("chkSCutDesktop", RECT{box.left, box.top, box.left + (inner.right - inner.left) - 16, box.bottom});
        SetChecked("chkSCutDesktop", true);
        SetEnabled("chkSCutDesktop", true);
        for (int i = 1; i < 4; ++i) {
            SetChecked(kOptionBoxes[i], false);
            SetVisible(kOptionBoxes[i], false);
        }
    } else {
        cleanupPatterns_[0] = "*.INI";
        cleanupPatterns_[1] = "*.GID";
        cleanupPatterns_[2] = ReadIniValue("UnSetupOption", "CheckBox3", "", log);
        cleanupPatterns_[3] = ReadIniValue("UnSetupOption", "CheckBox4", "", log);
        for (int i = 0; i < 4; ++i) {
            SetText(kOptionBoxes[i], cleanupPatterns_[i]);
            SetChecked(kOptionBoxes[i], options.ticked[i]);
            SetEnabled(kOptionBoxes[i], !cleanupPatterns_[i].empty());
        }
    }

    const RECT box = Bounds("chkSCutDesktop"), info = Bounds("lblUnSetupInfo");
    SetBounds("lblUnSetupInfo", RECT{info.left, box.bottom + 2, info.right, box.bottom + 2 + (info.bottom - info.top)});
    SetText("lblUnSetupInfo",
            "　" + u + "フォルダの中で、コピーされたファイル以外に追加削除するファイルをチェック(選択)してください。");
    SetVisible("lblUnSetupInfo", true);

    welcomePending_ = eulaPending_ = mainPagePending_ = false;
    readmePending_ = true;
    SetVisible("fraTitle", false);
    SetVisible("fraSelectType", false);
    ShowPanels(false, false, false);
    btnEventClick();
}

UninstallChoices TfrmMain::ReadUninstallChoices() {
    bool ticked[4];
    for (int i = 0; i < 4; ++i) {
        SetEnabled(kOptionBoxes[i], false);  // the choice is made
        ticked[i] = IsChecked(kOptionBoxes[i]);
    }
    const CleanupChoice cleanup = ChooseCleanup(ticked, cleanupPatterns_, !cleanupAllOnly_);
    return {Text("txtFolder"), cleanup.patterns, cleanup.deleteAll};
}
