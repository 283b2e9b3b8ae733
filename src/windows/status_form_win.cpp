#include "windows/status_form_win.h"

#include <commctrl.h>

#include "engine/messages_win.h"
#include "windows/back_form_win.h"

namespace {

const char kAbort[] = "中断(&A)";
const char kNext[] = "次へ(&N)";

const FormDef kStatusForm = {"TfrmStatus", "進行状況", 492, 298, {"ＭＳ Ｐゴシック", 12}};

std::vector<ControlDef> StatusControls() {
    using K = ControlKind;
    return {
        {K::Group, "grpMessage", nullptr, 8, 8, 481, 249, "メッセージ"},
        {K::Label, "lblMessage", "grpMessage", 8, 16, 457, 225, "", kWordWrap},
        {K::Group, "fraStatus", "grpMessage", 8, 200, 465, 41, "進行状況", kHidden},
        {K::Progress, "prgStatus", "fraStatus", 8, 16, 353, 17, ""},
        {K::Label, "lblStatus", "fraStatus", 368, 16, 88, 17, "0%(0/0)", kCentered, {nullptr, 13}},
        {K::Button, "btnAbort", nullptr, 168, 264, 161, 25, kAbort, kDisabled},
    };
}

}  // namespace

TfrmStatus& frmStatus() {
    static TfrmStatus form;
    return form;
}

TfrmStatus::TfrmStatus() : Form(kStatusForm) {}

void TfrmStatus::Create(HWND owner, Form& runForm) {
    runForm_ = &runForm;
    Form::Create(owner, StatusControls());
    EnableMenuItem(GetSystemMenu(Handle(), FALSE), SC_CLOSE, MF_BYCOMMAND | MF_DISABLED | MF_GRAYED);
    SendMessageA(Control("prgStatus"), PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    SendMessageA(Control("prgStatus"), PBM_SETSTEP, 5, 0);
    OnClick("btnAbort", [this] { btnAbortClick(); });
    // The progress group lies over the lower part of the message: keep it on top and let
    // the message paint around it, or every new line would hide the bar.
    HWND label = Control("lblMessage");
    SetWindowLongA(label, GWL_STYLE, GetWindowLongA(label, GWL_STYLE) | WS_CLIPSIBLINGS);
    SetWindowPos(Control("fraStatus"), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TfrmStatus::ShowText(const std::string& text) {
    SetText("lblMessage", text);
    ProcessMessages();
}

void TfrmStatus::ShowProgress(int percent, int done, int total) {
    SendMessageA(Control("prgStatus"), PBM_SETPOS, static_cast<WPARAM>(percent), 0);
    SetText("lblStatus", std::to_string(percent) + "%(" + std::to_string(done) + "/" + std::to_string(total) + ")");
    ProcessMessages();
}

void TfrmStatus::WaitForNext() {
    SetText("btnAbort", kNext);
    buttonRole_ = ButtonRole::Next;
    nextPressed_ = false;
    SetEnabled("btnAbort", true);
    Focus("btnAbort");
    while (!nextPressed_ && IsWindow(Handle())) PauseWithMessages(100);
}

void TfrmStatus::btnAbortClick() {
    switch (buttonRole_) {
        case ButtonRole::Next:
            SetEnabled("btnAbort", false);
            nextPressed_ = true;
            break;
        case ButtonRole::Abort: AbortRun(); break;
    }
}

void TfrmStatus::AbortRun() {
    const std::string question =
        std::string("ここで処理を中断すると、すでにコピー済みのファイルなどは削除されません。") +
        "\r\n一度、処理を完了してから、" + unSetupString_ +
        "することをおすすめします。\r\n\r\n本当にここで処理を中断しますか？";
    if (ShowMessageBox(question, "中断の確認", MB_YESNO | MB_ICONQUESTION, {IDYES, "中断ボタンが押されました"}) !=
        IDYES)
        return;
    stopped_ = true;  // the run's next checkpoint ends it
    EnableWindow(runForm_->Handle(), FALSE);
    EnableWindow(frmBack().Handle(), TRUE);
    Hide();
    ShowMessageBox("処理を中断しました。", "中断", MB_OK | MB_ICONEXCLAMATION);
    runForm_->SetModalResult(1);
}
