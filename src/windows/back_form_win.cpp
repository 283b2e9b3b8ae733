#include "windows/back_form_win.h"

#include "engine/system_win.h"
#include "engine/messages_win.h"
#include "windows/grad_box_win.h"

namespace {

constexpr UINT kStartMessage = WM_APP + 2;
const COLORREF kGreen = RGB(0, 128, 0), kBlue = RGB(0, 0, 255), kWhite = RGB(255, 255, 255);
const FontStyle kTitleFont = {"ＭＳ Ｐゴシック", 32, true};
const FontStyle kCreditFont = {"ＭＳ Ｐ明朝", 16, true};

const FormDef kBackForm = {"TfrmBack", "Kelvo Setup", 640, 480, {"ＭＳ Ｐゴシック", 12}, RGB(0, 0, 0)};

// Topmost first, as a form stacks its controls: each label paints over the ones after it
// (the shadows are last).
std::vector<ControlDef> BackControls() {
    using K = ControlKind;
    return {
        {K::Label, "lblBackTitle1", nullptr, 16, 16, 600, 40, "", kTransparent, kTitleFont, kWhite},
        {K::Label, "lblPrgTitle1", nullptr, 8, 48, 300, 40, "", kTransparent | kHidden, kCreditFont, kWhite},
        {K::Label, "lblPrgTitle2", nullptr, 24, 48, 300, 40, "", kTransparent | kHidden, kCreditFont, kBlue},
        {K::Label, "lblBackTitle2", nullptr, 39, 16, 600, 40, "", kTransparent, kTitleFont, kGreen},
    };
}

}  // namespace

TfrmBack& frmBack() {
    static TfrmBack form;
    return form;
}

TfrmBack::TfrmBack() : Form(kBackForm) {
    gradBox_.SetColor(1, kBlue);
    gradBox_.SetColor(2, RGB(0, 0, 0));
}

void TfrmBack::Create() {
    Form::Create(nullptr, BackControls());
    // The gradient is painted under the labels, so the window must not clip them out.
    SetWindowLongA(Handle(), GWL_STYLE, GetWindowLongA(Handle(), GWL_STYLE) & ~WS_CLIPCHILDREN);
    SetClassLongPtrA(Handle(), GCLP_HICON,
                     reinterpret_cast<LONG_PTR>(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1))));
    EnableWindow(Handle(), FALSE);  // takes no input until a run has finished
    SetApplicationWindow(Handle());
    gradBox_.Invalidate = [this] { InvalidateRect(Handle(), nullptr, TRUE); };
    gradBox_.OnChange = [this] { FormResize(); };
    created_ = true;
}

void TfrmBack::PlaceBelowRight(const std::string& shadow, const std::string& label) {
    RECT r = Bounds(label), s = Bounds(shadow);
    SetBounds(shadow, RECT{r.left + 2, r.top + 2, r.left + 2 + (s.right - s.left), r.top + 2 + (s.bottom - s.top)});
}

void TfrmBack::ShowBanner(const std::string& text) {
    SetText("lblPrgTitle1", text);
    SetText("lblPrgTitle2", text);
    RECT window;
    GetWindowRect(Handle(), &window);
    const SIZE extent = TextExtent("lblPrgTitle1");
    const int width = extent.cx + 8, height = extent.cy;
    const int left = (window.right - window.left) - width - 24, top = (window.bottom - window.top) - height - 48;
    SetBounds("lblPrgTitle1", RECT{left, top, left + width, top + height});
    const SIZE shadow = TextExtent("lblPrgTitle2");  // the shadow keeps the size of its text
    SetBounds("lblPrgTitle2", RECT{left + 2, top + 2, left + 2 + shadow.cx, top + 2 + shadow.cy});
    SetVisible("lblPrgTitle2", true);
    SetVisible("lblPrgTitle1", true);
    // Painted with the first page in the same round: a paint of its own here costs the
    // whole backdrop once more before the wizard shows.
    RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void TfrmBack::SetTitleWidth(const std::string& name, int width) {
    RECT r = Bounds(name);
    SetBounds(name, RECT{r.left, r.top, r.left + width, r.bottom});
}

void TfrmBack::SetTitle(const std::string& text) {
    RECT window;
    GetWindowRect(Handle(), &window);
    for (const char* name : {"lblBackTitle1", "lblBackTitle2"}) {
        SetTitleWidth(name, (window.right - window.left) - 24);
        SetText(name, text);
    }
}

void TfrmBack::FormResize() {
    // Only the first resize in the normal state starts the wizard; maximised ones do nothing.
    if (!created_ || started_ || IsZoomed(Handle()) || IsIconic(Handle())) return;
    started_ = true;
    FileVersionInfo version;
    ReadFileVersion(ModulePath(), version);
    SetCaption(VersionCaption(version));
    PlaceBelowRight("lblBackTitle2", "lblBackTitle1");
    PostMessageA(Handle(), kStartMessage, 0, 0);
}

void TfrmBack::Start() {
    FormResize();
    Show(SW_SHOWMAXIMIZED);
}

LRESULT TfrmBack::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case kStartMessage:
            ShowWindow(Handle(), SW_MAXIMIZE);
            if (onStart_) onStart_();
            DestroyWindow(Handle());
            return 0;
        case WM_ERASEBKGND: {
            RECT r;
            GetClientRect(Handle(), &r);
            PaintGradBox(gradBox_, reinterpret_cast<HDC>(wParam), r);
            return 1;
        }
        case WM_DESTROY: PostQuitMessage(0); break;
    }
    return Form::WindowProc(message, wParam, lParam);
}
