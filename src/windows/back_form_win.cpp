#include "windows/back_form_win.h"

#include "engine/messages_win.h"
#include "wizard/main_form_win.h"

namespace {

constexpr UINT kStartMessage = WM_APP + 2;

const FormSpec kBackSpec = {"TfrmBack", "Kelvo Setup", 640, 480, {"ＭＳ Ｐゴシック", 12}, RGB(0, 0, 0)};

}  // namespace

TfrmBack& frmBack() {
    static TfrmBack form;
    return form;
}

TfrmBack::TfrmBack() : Form(kBackSpec) {}

void TfrmBack::Create() {
    Form::Create(nullptr, {});
    EnableWindow(Handle(), FALSE);  // takes no input until a run has finished
    SetApplicationWindow(Handle());
}

void TfrmBack::FormResize() {
    // The first resize (the first show) starts the wizard; later ones, maximised, do nothing.
    if (!started_ && !IsZoomed(Handle()) && !IsIconic(Handle())) {
        started_ = true;
        PostMessageA(Handle(), kStartMessage, 0, 0);
    }
}

LRESULT TfrmBack::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kStartMessage) {
        ShowWindow(Handle(), SW_MAXIMIZE);
        frmMain().ShowModal();
        DestroyWindow(Handle());
        return 0;
    }
    if (message == WM_DESTROY) PostQuitMessage(0);
    return Form::WindowProc(message, wParam, lParam);
}
