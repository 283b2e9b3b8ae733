#include "monitor/main_window_win.h"

#include <windowsx.h>

#include <cstdlib>
#include <vector>

#include "monitor/countdown.h"
#include "monitor/lookup_win.h"
#include "monitor/settings_win.h"
#include "monitor/shell_win.h"
#include "monitor/text_rules.h"
#include "system_files_win.h"
#include "system_windows_win.h"

namespace {

const char* const kClassName = "FrmMain";
const char* const kCaption = "Tovra";
const char* const kFontFace = "ＭＳ Ｐゴシック";
const char* const kFolderTitle = "書込み先フォルダを指定してください。";
constexpr UINT_PTR kTimerId = 1;
constexpr UINT kTickMs = 900;
constexpr std::size_t kDisplayBytes = 256;  // far more than a pane can show
constexpr int kComboListPixels = 240;

long long LocalSeconds() {
    SYSTEMTIME now;
    FILETIME file;
    GetLocalTime(&now);
    SystemTimeToFileTime(&now, &file);
    ULARGE_INTEGER ticks{{file.dwLowDateTime, file.dwHighDateTime}};
    return static_cast<long long>(ticks.QuadPart / 10000000ULL);
}

COLORREF ToColour(Rgb c) { return RGB(c.r, c.g, c.b); }

const Element* ElementById(int id) {
    for (const Element& e : MainLayout()) {
        if (e.id == id) return &e;
    }
    return nullptr;
}

// Test runs shorten the scan loop through the environment; see the monitor's guide.
UINT RapidScanMs() {
    const char* value = std::getenv("TOVRA_TEST_RAPID_SCAN_MS");
    return value ? static_cast<UINT>(std::atoi(value)) : 0;
}

}  // namespace

bool FrmMain::Form_Load(HINSTANCE instance, int showCommand) {
    Loading = true;
    LoadSettings();
    {
        const WindowDc screen(nullptr);
        dpiX_ = GetDeviceCaps(screen.get(), LOGPIXELSX);
        dpiY_ = GetDeviceCaps(screen.get(), LOGPIXELSY);
    }

    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hIcon = LoadIcon(instance, MAKEINTRESOURCE(1));
    windowClass.lpszClassName = kClassName;
    RegisterClassEx932(&windowClass);
    window_ = CreateWindowEx932(0, kClassName, kCaption, WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0,
                                ToPixelsX(kWindowWidth), ToPixelsY(kCompactHeight), nullptr, nullptr, instance, this);
    if (!window_) return false;
    CreateControls();

    Position place = StartPosition({Settings.WindowLeft, Settings.WindowTop}, ToTwipsX(GetSystemMetrics(SM_CXSCREEN)),
                                   ToTwipsY(GetSystemMetrics(SM_CYSCREEN)));
    SetWindowPos(window_, nullptr, ToPixelsX(place.left), ToPixelsY(place.top), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ApplyWithoutClosing = false;
    LastPercent = -1;
    InitDataSet();
    FirstScanPending = true;
    UINT rapid = RapidScanMs();
    RapidScan = rapid > 0;
    SetTimer(window_, kTimerId, RapidScan ? rapid : kTickMs, nullptr);
    Loading = false;
    ShowWindow(window_, showCommand);
    UpdateWindow(window_);
    return true;
}

LRESULT CALLBACK FrmMain::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        static_cast<FrmMain*>(create->lpCreateParams)->window_ = window;
    }
    auto* form = reinterpret_cast<FrmMain*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    return form ? form->Handle(message, wParam, lParam) : DefWindowProc932(window, message, wParam, lParam);
}

LRESULT FrmMain::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND: return 1;
        case WM_PAINT: Paint(); return 0;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN: return ControlColours(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_DRAWITEM: DrawLabelButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); return TRUE;
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED) {
                if (const Element* e = ElementById(LOWORD(wParam))) RunAction(e->action);
            }
            return 0;
        case WM_TIMER: TimerScan_Timer(); return 0;
        case WM_LBUTTONDOWN: BeginWindowDrag(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); return 0;
        case WM_MOUSEMOVE: DragWindow(wParam, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); return 0;
        case WM_LBUTTONUP: ButtonUp(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); return 0;
        case WM_DESTROY: PostQuitMessage(0); return 0;
    }
    return DefWindowProc932(window_, message, wParam, lParam);
}

void FrmMain::CreateControls() {
    for (const Element& e : MainLayout()) {
        if (e.kind == Kind::Fill || e.kind == Kind::Bar) continue;
        HWND control = CreateControl(e);
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(e.pointsTimes100)), FALSE);
        // The name lets the test driver and accessibility tools find the control.
        names_.emplace_back(GlobalAddAtom932(e.name));
        SetPropA(control, "KelvoName", reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(names_.back().get())));
        controls_[e.id] = control;
    }
}

HWND FrmMain::CreateControl(const Element& e) {
    const char* kind = "BUTTON";
    DWORD style = WS_CHILD | WS_VISIBLE;
    int height = ToPixelsY(e.height);
    switch (e.kind) {
        case Kind::Text:
            kind = "STATIC";
            style |= SS_NOPREFIX | (e.height >= 360 ? SS_LEFT : SS_LEFTNOWORDWRAP);
            break;
        case Kind::LabelButton: style |= BS_OWNERDRAW; break;
        case Kind::CheckBox: style |= BS_AUTOCHECKBOX; break;
        case Kind::PushButton: style |= BS_PUSHBUTTON; break;
        case Kind::ComboBox:
            kind = "COMBOBOX";
            // Typed text is accepted too; OK reads whatever the picker shows.
            style |= CBS_DROPDOWN | WS_VSCROLL;
            height += kComboListPixels;
            break;
        default: break;
    }
    return CreateWindowEx932(0, kind, e.text, style, ToPixelsX(e.left), ToPixelsY(e.top), ToPixelsX(e.width), height,
                             window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(e.id)), nullptr, nullptr);
}

HFONT FrmMain::FontFor(int pointsTimes100) {
    OwnedGdi<HFONT>& font = fonts_[pointsTimes100];
    if (!font.valid()) {
        LOGFONTA logFont{};
        logFont.lfHeight = -MulDiv(pointsTimes100, dpiY_, 7200);
        logFont.lfWeight = FW_NORMAL;
        logFont.lfCharSet = SHIFTJIS_CHARSET;
        logFont.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
        lstrcpynA(logFont.lfFaceName, kFontFace, LF_FACESIZE);
        font.reset(CreateFontIndirect932(&logFont));
    }
    return font.get();
}

HBRUSH FrmMain::BrushFor(Rgb colour) {
    OwnedGdi<HBRUSH>& brush = brushes_[ToColour(colour)];
    if (!brush.valid()) brush.reset(CreateSolidBrush(ToColour(colour)));
    return brush.get();
}

void FrmMain::Paint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window_, &paint);
    for (const Element& e : MainLayout()) {
        if (e.kind != Kind::Fill && e.kind != Kind::Bar) continue;
        int width = e.kind == Kind::Bar ? GraphWidth : e.width;
        RECT box{ToPixelsX(e.left), ToPixelsY(e.top), ToPixelsX(e.left + width), ToPixelsY(e.top + e.height)};
        FillRect(dc, &box, BrushFor(e.back));
        if (e.bordered) FrameRect(dc, &box, BrushFor({0, 0, 0}));
    }
    EndPaint(window_, &paint);
}

LRESULT FrmMain::ControlColours(HDC dc, HWND control) {
    const Element* e = ElementById(GetDlgCtrlID(control));
    if (!e) return DefWindowProc932(window_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), 0);
    SetTextColor(dc, ToColour(e->fore));
    SetBkColor(dc, ToColour(e->back));
    return reinterpret_cast<LRESULT>(BrushFor(e->back));
}

void FrmMain::DrawLabelButton(const DRAWITEMSTRUCT& item) {
    const Element* e = ElementById(static_cast<int>(item.CtlID));
    if (!e) return;
    RECT box = item.rcItem;
    FillRect(item.hDC, &box, BrushFor(e->back));
    const std::string text = WindowText932(item.hwndItem);
    SetTextColor(item.hDC, ToColour(e->fore));
    SetBkMode(item.hDC, TRANSPARENT);
    HGDIOBJ old = SelectObject(item.hDC, FontFor(e->pointsTimes100));
    DrawText932(item.hDC, text.c_str(), static_cast<int>(text.size()), &box,
                DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
    SelectObject(item.hDC, old);
}

HWND FrmMain::Control(const char* name) const { return controls_.at(ElementNamed(name).id); }

void FrmMain::SetText(const char* name, const std::string& text) {
    if (GetText(name) != text) SetWindowText932(Control(name), text.c_str());
}

std::string FrmMain::GetText(const char* name) const { return WindowText932(Control(name)); }

bool FrmMain::IsTicked(const char* name) const {
    return SendMessageA(Control(name), BM_GETCHECK, 0, 0) != BST_UNCHECKED;
}

// Ticking a box from the settings acts like a click when its state changes.
void FrmMain::Tick(const char* name, bool ticked) {
    if (IsTicked(name) == ticked) return;
    SendMessageA(Control(name), BM_SETCHECK, ticked ? BST_CHECKED : BST_UNCHECKED, 0);
    CheckBox_Click(ElementNamed(name).action);
}

void FrmMain::SetHeight(int twips, const char* settingCaption) {
    SetWindowPos(window_, nullptr, 0, 0, ToPixelsX(kWindowWidth), ToPixelsY(twips),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetText("lblSetting", settingCaption);
}

void FrmMain::TimerScan_Timer() {
    // Requests let messages through while they wait; a tick then must not start a second scan.
    if (Scanning) return;
    if (FirstScanPending) {
        FirstScanPending = false;
        IPaddress_Get();
        PreviousGlobalIP = CurrentGlobalIP;
        PreviousLocalIP = CurrentLocalIP;
    }
    Countdown countdown = ComputeCountdown(Settings.ScanMinutes, LocalSeconds() - LastScanTime);
    SetText("PicCountDown", CountdownText(countdown.minutes, countdown.seconds));
    if (countdown.percent != LastPercent) {
        GraphWidth = BarWidth(kGraphFullWidth, countdown.percent);
        const Element& track = ElementNamed("Picture1");
        RECT box{ToPixelsX(track.left), ToPixelsY(track.top), ToPixelsX(track.left + track.width),
                 ToPixelsY(track.top + track.height)};
        InvalidateRect(window_, &box, FALSE);
        LastPercent = countdown.percent;
    }
    if (!countdown.scanDue && !RapidScan) return;
    IPaddress_Get();
    bool changed = CurrentGlobalIP != PreviousGlobalIP || CurrentLocalIP != PreviousLocalIP;
    if (const char* file = ClickFile(ClickAfterScan(IsTicked("ChkSound"), IsTicked("ChkChangeSound"), changed))) {
        SoundPlay_Proc(file);
    }
    PreviousGlobalIP = CurrentGlobalIP;
    PreviousLocalIP = CurrentLocalIP;
}

void FrmMain::IPaddress_Get() {
    Scanning = true;
    CurrentGlobalIP = getGlobalIP();
    CurrentLocalIP = GetLocalIPAddress();
    CurrentHostName = getHostNameCGI();
    SetText("PicGlobalIP", ClipForDisplay(CurrentGlobalIP, kDisplayBytes));
    SetText("PicLocalIP", ClipForDisplay(CurrentLocalIP, kDisplayBytes));
    if (IsTicked("ChkFileMake")) FileOutPut(CurrentGlobalIP, CurrentLocalIP, CurrentHostName);
    LastScanTime = LocalSeconds();
    Scanning = false;
}

void FrmMain::RunAction(Action action) {
    switch (action) {
        case Action::End: lblEnd_Click(); break;
        case Action::Setting: lblSetting_Click(); break;
        case Action::Ok: lblOK_Click(); break;
        case Action::Update: lblUpdate_Click(); break;
        case Action::Cancel: lblCancel_Click(); break;
        case Action::Folder: CmdFolder_Click(); break;
        case Action::Sound:
        case Action::ChangeSound:
        case Action::AlwaysFront: CheckBox_Click(action); break;
        case Action::None: break;
    }
}

void FrmMain::InitDataSet() {
    HWND combo = Control("ComboScanTime");
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    for (int minutes = 1; minutes <= 120; ++minutes) {
        SendTextMessage932(combo, CB_ADDSTRING, 0, IntervalEntry(minutes).c_str());
    }
    if (Settings.ScanMinutes < 1) Settings.ScanMinutes = 1;
    LRESULT entry = SendTextMessage932(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       IntervalEntry(Settings.ScanMinutes).c_str());
    if (entry != CB_ERR) SendMessageA(combo, CB_SETCURSEL, entry, 0);
    Tick("ChkFileMake", Settings.WriteOutputFile);
    SetText("lblFolderName", Settings.OutputFolder);
    Tick("ChkSound", Settings.SoundOnFetch);
    Tick("ChkChangeSound", Settings.SoundOnChangeOnly);
    Tick("ChkAlwaysFront", Settings.AlwaysOnTop);
    if (Settings.AlwaysOnTop) SetTopMost(window_);
}

void FrmMain::lblSetting_Click() {
    RECT box;
    GetWindowRect(window_, &box);
    if (box.bottom - box.top != ToPixelsY(kUnfoldedHeight)) {
        SetHeight(kUnfoldedHeight, kUnfolded);
    } else {
        SetHeight(kCompactHeight, kFolded);
    }
}

void FrmMain::lblOK_Click() {
    SaveSettings(GetText("ComboScanTime"), IsTicked("ChkFileMake"), GetText("lblFolderName"), IsTicked("ChkSound"),
                 IsTicked("ChkChangeSound"), IsTicked("ChkAlwaysFront"));
    LastScanTime = LocalSeconds();
    if (!ApplyWithoutClosing) SetHeight(kCompactHeight, kFolded);
}

void FrmMain::lblUpdate_Click() {
    ApplyWithoutClosing = true;
    lblOK_Click();
    ApplyWithoutClosing = false;
}

void FrmMain::lblCancel_Click() {
    LoadSettings();
    InitDataSet();
    SetHeight(kCompactHeight, kFolded);
}

void FrmMain::lblEnd_Click() {
    RECT box;
    GetWindowRect(window_, &box);
    SavePosition(ToTwipsY(box.top), ToTwipsX(box.left));
    DestroyWindow(window_);
}

void FrmMain::CmdFolder_Click() {
    std::string folder = BrowseForFolder(window_, kFolderTitle, ProgramFolder());
    if (!folder.empty() && folder != "\\") SetText("lblFolderName", folder);
}

void FrmMain::CheckBox_Click(Action action) {
    if (Loading) return;
    switch (action) {
        case Action::Sound:
            if (IsTicked("ChkSound")) SoundPlay_Proc(ClickFile(Click::Fetch));
            break;
        case Action::ChangeSound:
            if (IsTicked("ChkChangeSound")) SoundPlay_Proc(ClickFile(Click::Change));
            break;
        case Action::AlwaysFront: IsTicked("ChkAlwaysFront") ? SetTopMost(window_) : ClearTopMost(window_); break;
        default: break;
    }
}

void FrmMain::BeginWindowDrag(int x, int y) {
    const Element* e = ElementAt(ToTwipsX(x), ToTwipsY(y));
    PressedAction = e ? e->action : Action::None;
    if (!e || !e->drags) return;
    Dragging = true;
    DragAnchor = {x, y};
    SetCapture(window_);
}

void FrmMain::DragWindow(WPARAM buttons, int x, int y) {
    if (!Dragging || (buttons & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) != MK_LBUTTON) return;
    RECT box;
    GetWindowRect(window_, &box);
    Position moved = DraggedPosition({box.left, box.top}, {DragAnchor.x, DragAnchor.y}, {x, y});
    SetWindowPos(window_, nullptr, moved.left, moved.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FrmMain::ButtonUp(int x, int y) {
    if (Dragging) ReleaseCapture();
    Dragging = false;
    const Element* e = ElementAt(ToTwipsX(x), ToTwipsY(y));
    Action pressed = PressedAction;
    PressedAction = Action::None;
    if (e && pressed != Action::None && e->action == pressed) RunAction(pressed);
}
