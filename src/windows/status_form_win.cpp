#include "windows/status_form_win.h"

namespace {
const FormSpec kStatusSpec = {"TfrmStatus", "Kelvo Setup", 492, 298, {"ＭＳ Ｐゴシック", 12}};
}

TfrmStatus& frmStatus() {
    static TfrmStatus form;
    return form;
}

TfrmStatus::TfrmStatus() : Form(kStatusSpec) {}

void TfrmStatus::Create(HWND owner) { Form::Create(owner, {}); }
