#include "windows/custom_dlg_win.h"

namespace {
const FormSpec kCustomDlgSpec = {"TfrmCustomDlg", "ファイル削除の確認", 400, 160, {"ＭＳ Ｐゴシック", 12}};
}

TfrmCustomDlg& frmCustomDlg() {
    static TfrmCustomDlg form;
    return form;
}

TfrmCustomDlg::TfrmCustomDlg() : Form(kCustomDlgSpec) {}

void TfrmCustomDlg::Create(HWND owner) { Form::Create(owner, {}); }
