#include "windows/custom_dlg_win.h"

namespace {

const FormDef kCustomDlgForm = {"TfrmCustomDlg", "ファイル削除の確認", 426, 121, {"ＭＳ Ｐゴシック", 12}};

struct AnswerButton {
    const char* name;
    SharedFileAnswer answer;
};
const AnswerButton kButtons[] = {{"btnYes", SharedFileAnswer::Yes},
                                 {"btnNo", SharedFileAnswer::No},
                                 {"btnDelete", SharedFileAnswer::DeleteAll},
                                 {"btnSave", SharedFileAnswer::KeepAll}};

std::vector<ControlDef> DialogControls() {
    using K = ControlKind;
    return {
        {K::Label, "lblMessage", nullptr, 8, 8, 409, 73, ""},
        {K::Button, "btnYes", nullptr, 8, 88, 97, 25, "はい(&Y)"},
        {K::Button, "btnNo", nullptr, 112, 88, 97, 25, "いいえ(&N)"},
        {K::Button, "btnDelete", nullptr, 216, 88, 97, 25, "すべて削除(&D)"},
        {K::Button, "btnSave", nullptr, 320, 88, 97, 25, "すべて保存(&A)"},
    };
}

}  // namespace

TfrmCustomDlg& frmCustomDlg() {
    static TfrmCustomDlg form;
    return form;
}

TfrmCustomDlg::TfrmCustomDlg() : Form(kCustomDlgForm) {}

void TfrmCustomDlg::Create(HWND owner) {
    Form::Create(owner, DialogControls());
    // No border icons at all: the question can only be answered.
    SetWindowLongA(Handle(), GWL_STYLE, GetWindowLongA(Handle(), GWL_STYLE) & ~WS_SYSMENU);
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    for (const AnswerButton& b : kButtons)
        OnClick(b.name, [this, answer = b.answer] {
            answer_ = answer;
            SetModalResult(1);
        });
}

SharedFileAnswer TfrmCustomDlg::Ask(const std::string& message) {
    answer_ = SharedFileAnswer::No;  // closed without an answer, the file stays
    SetText("lblMessage", message);
    focusPending_ = true;
    ShowModal();
    return answer_;
}

void TfrmCustomDlg::FormActivate() {
    // Each showing starts on btnYes, so Enter answers "Yes".
    if (focusPending_) Focus("btnYes");
    focusPending_ = false;
}

LRESULT TfrmCustomDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // No button is the default one: Enter presses whichever button has the focus.
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK && HIWORD(wParam) == BN_CLICKED) {
        HWND focus = GetFocus();
        for (const AnswerButton& b : kButtons)
            if (focus == Control(b.name)) SendMessageA(focus, BM_CLICK, 0, 0);
        return 0;
    }
    return Form::WindowProc(message, wParam, lParam);
}
