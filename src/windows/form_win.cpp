#include "windows/form_win.h"

#include <commctrl.h>

#include "engine/messages_win.h"
#include "system_windows_win.h"
#include "system_files_win.h"

namespace {

constexpr int kFirstControlId = 1000;
constexpr UINT kActivateMessage = WM_APP + 1;
const char kNameProperty[] = "KelvoName";        // the control's name as a global atom, for the UI driver
const char kPendingProperty[] = "KelvoPending";  // on a form while some of its controls are not made yet
constexpr UINT_PTR kRealiseTimer = 1;
// Long enough after the first paint that a slow start has its first page up before it.
constexpr UINT kRealiseDelay = 200;  // ms
// The button class's own procedure, for ANSI group boxes and for Unicode ones.
WNDPROC groupDefaultProc[2] = {};

void SetFlag(unsigned& flags, unsigned flag, bool on) { flags = on ? (flags | flag) : (flags & ~flag); }

// A control's place in its parent, as its table entry keeps it until the control is made.
RECT PlaceOf(const ControlDef& def) { return RECT{def.left, def.top, def.left + def.width, def.top + def.height}; }

void SetPlace(ControlDef& def, const RECT& place) {
    def.left = place.left;
    def.top = place.top;
    def.width = place.right - place.left;
    def.height = place.bottom - place.top;
}

DWORD StyleFor(const ControlDef& def) {
    DWORD style = WS_CHILD | ((def.flags & kHidden) ? 0 : WS_VISIBLE) | ((def.flags & kDisabled) ? WS_DISABLED : 0);
    switch (def.kind) {
        case ControlKind::Label:
            return style | SS_NOPREFIX | ((def.flags & kCentered) ? SS_CENTER : 0) |
                   ((def.flags & (kWordWrap | kCentered)) ? 0 : SS_LEFTNOWORDWRAP);
        case ControlKind::Button: return style | WS_TABSTOP | BS_PUSHBUTTON;
        case ControlKind::CheckBox: return style | WS_TABSTOP | BS_AUTOCHECKBOX;
        case ControlKind::Radio: return style | WS_TABSTOP | BS_AUTORADIOBUTTON;
        case ControlKind::Edit:
            return style | WS_TABSTOP | ES_AUTOHSCROLL | ((def.flags & kReadOnly) ? ES_READONLY : 0);
        case ControlKind::Memo:
            return style | WS_TABSTOP | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL |
                   ((def.flags & kVScroll) ? WS_VSCROLL : 0) | ((def.flags & kHScroll) ? WS_HSCROLL : 0);
        case ControlKind::Group: return style | BS_GROUPBOX | WS_CLIPSIBLINGS;
        case ControlKind::Image: return style | SS_ICON | SS_CENTERIMAGE;
        case ControlKind::Progress: return style;
    }
    return style;
}

const char* ClassFor(ControlKind kind) {
    switch (kind) {
        case ControlKind::Label:
        case ControlKind::Image: return "STATIC";
        case ControlKind::Edit:
        case ControlKind::Memo: return "EDIT";
        case ControlKind::Progress: return PROGRESS_CLASSA;
        default: return "BUTTON";
    }
}

}  // namespace

void RegisterFormClass(const char* className, HICON icon) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    if (GetClassInfoEx932(GetModuleHandleA(nullptr), className, &wc)) return;
    // One cursor and one small icon serve every form; made per class they slow the start.
    static const HCURSOR arrow = LoadCursor(nullptr, IDC_ARROW);
    static HICON smallIcon = nullptr, smallIconOf = nullptr;
    if (icon && icon != smallIconOf) {
        smallIcon = static_cast<HICON>(CopyImage(icon, IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                 GetSystemMetrics(SM_CYSMICON), LR_COPYFROMRESOURCE));
        smallIconOf = icon;
    }
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = &Form::StaticProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hIcon = icon;
    wc.hIconSm = icon ? smallIcon : nullptr;
    wc.hCursor = arrow;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = className;
    RegisterClassEx932(&wc);
}

Form::Form(const FormDef& def) : def_(def) {}

Form::~Form() {
    if (hwnd_) DestroyWindow(hwnd_);
}

HFONT Form::MakeFont(const FontStyle& font) {
    // Shift-JIS, so that a system without the Japanese face still picks one with its glyphs.
    LOGFONTA logFont{};
    logFont.lfHeight = -font.height;
    logFont.lfWeight = font.bold ? FW_BOLD : FW_NORMAL;
    logFont.lfItalic = font.italic;
    logFont.lfCharSet = SHIFTJIS_CHARSET;
    if (font.face) lstrcpynA(logFont.lfFaceName, font.face, LF_FACESIZE);
    return CreateFontIndirect932(&logFont);
}

void Form::Create(HWND owner, const std::vector<ControlDef>& controls) {
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    RECT r{0, 0, def_.clientWidth, def_.clientHeight};
    AdjustWindowRectEx(&r, style, FALSE, WS_EX_DLGMODALFRAME);
    const int w = r.right - r.left, h = r.bottom - r.top;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
    if (def_.background != kDefaultColor) background_.reset(CreateSolidBrush(def_.background));
    formFont_.reset(MakeFont(def_.font));
    hwnd_ = CreateWindowEx932(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, def_.className, def_.caption, style, x, y, w,
                              h, owner, nullptr, GetModuleHandleA(nullptr), this);
    entries_.reserve(controls.size());
    for (const ControlDef& def : controls) {
        Entry entry;
        entry.def = def;
        entry.text = def.caption ? def.caption : "";
        entries_.push_back(std::move(entry));
    }
    pending_ = static_cast<int>(entries_.size());
    SetPropA(hwnd_, kPendingProperty, reinterpret_cast<HANDLE>(1));
    for (Entry& e : entries_)
        if (!e.def.parent && !(e.def.flags & kHidden)) Realise(e);
}

HWND Form::Realise(Entry& e) {
    if (e.hwnd) return e.hwnd;
    Entry* parent = e.def.parent ? Find(e.def.parent) : nullptr;
    HWND parentWindow = parent ? Realise(*parent) : hwnd_;
    if (e.hwnd) return e.hwnd;  // made with its parent
    CreateControl(e, parentWindow, kFirstControlId + static_cast<int>(&e - entries_.data()));
    PlaceInTableOrder(e);
    if (--pending_ == 0) {
        // The UI driver finds controls by these names once the form has made them all.
        for (Entry& made : entries_) Name(made);
        RemovePropA(hwnd_, kPendingProperty);
    }
    // What shows with the control comes with it; hidden children wait for their turn.
    for (Entry& child : entries_)
        if (child.def.parent && e.def.name == std::string(child.def.parent) && !(child.def.flags & kHidden))
            Realise(child);
    return e.hwnd;
}

void Form::PlaceInTableOrder(const Entry& e) {
    // Tab and painting order follow the table: a new control goes last among its siblings,
    // so it moves only when a later one was made before it.
    const HWND parent = GetParent(e.hwnd);
    const Entry* end = entries_.data() + entries_.size();
    const auto sibling = [&](const Entry* other) { return other->hwnd && GetParent(other->hwnd) == parent; };
    bool laterMade = false;
    for (const Entry* later = &e + 1; later != end && !laterMade; ++later) laterMade = sibling(later);
    if (!laterMade) return;
    HWND after = HWND_TOP;
    for (const Entry* earlier = &e; earlier != entries_.data();) {
        if (sibling(--earlier)) {
            after = earlier->hwnd;
            break;
        }
    }
    SetWindowPos(e.hwnd, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Form::RealiseAll() {
    for (Entry& e : entries_) Realise(e);
}

void Form::CreateControl(Entry& e, HWND parentWindow, int id) {
    const ControlDef& def = e.def;
    DWORD exStyle = (def.kind == ControlKind::Edit || def.kind == ControlKind::Memo) ? WS_EX_CLIENTEDGE : 0;
    if (def.flags & kTransparent) exStyle |= WS_EX_TRANSPARENT;
    if (def.kind == ControlKind::Group) exStyle |= WS_EX_CONTROLPARENT;
    HWND control = CreateWindowEx932(
        exStyle, ClassFor(def.kind), e.text.c_str(), StyleFor(def), def.left, def.top, def.width, def.height,
        parentWindow, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
    HFONT font = def.font.face || def.font.height ? nullptr : formFont_.get();
    e.hwnd = control;
    e.font.reset();
    if (!font) {
        FontStyle merged = def.font;
        if (!merged.face) merged.face = def_.font.face;
        if (!merged.height) merged.height = def_.font.height;
        e.font.reset(MakeFont(merged));
        font = e.font.get();
    }
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (def.flags & kChecked) SendMessageA(control, BM_SETCHECK, BST_CHECKED, 0);
    if (def.kind == ControlKind::Memo) SendMessageA(control, EM_LIMITTEXT, 0, 0);  // files of any length
    if (def.kind == ControlKind::Image)
        SendMessageA(control, STM_SETICON,
                     reinterpret_cast<WPARAM>(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1))), 0);
    if (def.kind == ControlKind::Group) {
        // Group boxes parent their controls, so they pass notifications up to the form.
        WNDPROC old = reinterpret_cast<WNDPROC>(
            SetWindowLongPtr932(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Form::GroupProc)));
        WNDPROC& original = groupDefaultProc[IsWindowUnicode(control) ? 1 : 0];
        if (!original) original = old;
    }
    if (pending_ == 0) Name(e);
}

void Form::Name(Entry& e) {
    e.name.reset(GlobalAddAtom932(e.def.name));
    SetPropA(e.hwnd, kNameProperty, reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(e.name.get())));
}

void Form::SetFlags(const std::string& name, unsigned flags) {
    Entry* e = Find(name);
    if (!e) return;
    const unsigned kept = kHidden | kDisabled;
    if (!e->hwnd) {
        e->def.flags = (flags & ~kept) | (e->def.flags & kept);
        return;
    }
    const RECT b = Bounds(name);
    const unsigned hidden = IsVisible(name) ? 0u : kHidden, disabled = IsEnabled(name) ? 0u : kDisabled;
    e->def.flags = (flags & ~kept) | hidden | disabled;
    SetPlace(e->def, b);
    e->text = Text(name);
    HWND old = e->hwnd;
    const OwnedGdi<HFONT> oldFont = std::move(e->font);  // deleted once the old control is gone
    CreateControl(*e, GetParent(old), GetDlgCtrlID(old));
    SetWindowPos(e->hwnd, old, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    DestroyWindow(old);
}

Form::Entry* Form::Find(const std::string& name) {
    for (Entry& e : entries_)
        if (name == e.def.name) return &e;
    return nullptr;
}

const Form::Entry* Form::Find(const std::string& name) const {
    for (const Entry& e : entries_)
        if (name == e.def.name) return &e;
    return nullptr;
}

Form::Entry* Form::FindById(int id) {
    int index = id - kFirstControlId;
    return (index >= 0 && index < static_cast<int>(entries_.size())) ? &entries_[static_cast<std::size_t>(index)]
                                                                     : nullptr;
}

HWND Form::Control(const std::string& name) {
    Entry* e = Find(name);
    return e ? Realise(*e) : nullptr;
}

bool Form::IsControl(HWND hwnd, const std::string& name) const {
    const Entry* e = Find(name);
    return e && e->hwnd && e->hwnd == hwnd;
}

void Form::SetText(const std::string& name, const std::string& text) {
    Entry* e = Find(name);
    if (!e) return;
    if (!e->hwnd) {
        e->text = text;
        return;
    }
    SetWindowText932(e->hwnd, text.c_str());
    if (e->def.flags & kTransparent) {
        // A transparent label leaves its old text on the parent unless the parent repaints.
        RECT r;
        GetWindowRect(e->hwnd, &r);
        MapWindowPoints(nullptr, GetParent(e->hwnd), reinterpret_cast<POINT*>(&r), 2);
        RedrawWindow(GetParent(e->hwnd), &r, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    }
}

std::string Form::Text(const std::string& name) const {
    const Entry* e = Find(name);
    if (!e) return "";
    if (!e->hwnd) return e->text;
    return WindowText932(e->hwnd);
}

void Form::SetEnabled(const std::string& name, bool enabled) {
    Entry* e = Find(name);
    if (!e) return;
    if (e->hwnd) EnableWindow(e->hwnd, enabled);
    else SetFlag(e->def.flags, kDisabled, !enabled);
}
bool Form::IsEnabled(const std::string& name) const {
    const Entry* e = Find(name);
    if (!e) return false;
    return e->hwnd ? IsWindowEnabled(e->hwnd) != FALSE : !(e->def.flags & kDisabled);
}
void Form::SetVisible(const std::string& name, bool visible) {
    Entry* e = Find(name);
    if (!e) return;
    if (visible && !e->hwnd) {
        SetFlag(e->def.flags, kHidden, false);  // made visible at once
        Realise(*e);
    } else if (visible) ShowWindow(e->hwnd, SW_SHOWNA);
    else if (e->hwnd) ShowWindow(e->hwnd, SW_HIDE);
    else SetFlag(e->def.flags, kHidden, true);
}
bool Form::IsVisible(const std::string& name) const {
    const Entry* e = Find(name);
    if (!e) return false;
    return e->hwnd ? (GetWindowLongA(e->hwnd, GWL_STYLE) & WS_VISIBLE) != 0 : !(e->def.flags & kHidden);
}
void Form::SetChecked(const std::string& name, bool checked) {
    Entry* e = Find(name);
    if (!e) return;
    if (e->hwnd) SendMessageA(e->hwnd, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    else SetFlag(e->def.flags, kChecked, checked);
}
bool Form::IsChecked(const std::string& name) const {
    const Entry* e = Find(name);
    if (!e) return false;
    return e->hwnd ? SendMessageA(e->hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED : (e->def.flags & kChecked) != 0;
}
RECT Form::Bounds(const std::string& name) const {
    RECT r{};
    const Entry* e = Find(name);
    if (e && !e->hwnd) return PlaceOf(e->def);
    if (e) {
        GetWindowRect(e->hwnd, &r);
        MapWindowPoints(nullptr, GetParent(e->hwnd), reinterpret_cast<POINT*>(&r), 2);
    }
    return r;
}
void Form::SetBounds(const std::string& name, const RECT& b) {
    Entry* e = Find(name);
    if (!e) return;
    if (e->hwnd) {
        MoveWindow(e->hwnd, b.left, b.top, b.right - b.left, b.bottom - b.top, TRUE);
        return;
    }
    SetPlace(e->def, b);
}
void Form::Focus(const std::string& name) {
    if (HWND c = Control(name)) SetFocus(c);
}

SIZE Form::TextExtent(const std::string& name) {
    RECT r{0, 0, 0, 0};
    HWND control = Control(name);
    if (!control) return SIZE{0, 0};
    const WindowDc dc(control);
    HGDIOBJ old = SelectObject(dc.get(), reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
    const std::string text = Text(name);
    DrawText932(dc.get(), text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_NOPREFIX);
    SelectObject(dc.get(), old);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

void Form::SetCaption(const std::string& text) { SetWindowText932(hwnd_, text.c_str()); }
std::string Form::Caption() const { return WindowText932(hwnd_); }
void Form::Show(int command) {
    if (!keepHidden_) ShowWindow(hwnd_, command);
}
void Form::Hide() { ShowWindow(hwnd_, SW_HIDE); }
bool Form::IsShown() const { return IsWindowVisible(hwnd_); }

void Form::HoldPainting() {
    if (paintingHeld_ || !IsShown()) return;  // resuming would make a hidden window visible
    paintingHeld_ = true;
    SendMessageA(hwnd_, WM_SETREDRAW, FALSE, 0);
}

void Form::ResumePainting() {
    if (!paintingHeld_) return;
    paintingHeld_ = false;
    SendMessageA(hwnd_, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void Form::OnClick(const std::string& name, std::function<void()> handler) {
    if (Entry* e = Find(name)) e->onClick = std::move(handler);
}
void Form::OnChange(const std::string& name, std::function<void()> handler) {
    if (Entry* e = Find(name)) e->onChange = std::move(handler);
}

void Form::SetModalResult(int result) {
    modalResult_ = result;
    PostMessageA(hwnd_, WM_NULL, 0, 0);  // wake the modal loop
}

void Form::RunCloseQuery() {
    if (!FormCloseQuery()) modalResult_ = 0;
}

int Form::ShowModal() {
    modalResult_ = 0;
    modal_ = true;
    if (!keepHidden_) {
        ShowWindow(hwnd_, SW_SHOW);
        SetForegroundWindow(hwnd_);
    }
    MSG msg;
    while (true) {
        if (modalResult_ != 0) {
            RunCloseQuery();
            if (modalResult_ != 0) break;
        }
        BOOL got = GetMessage932(&msg, nullptr, 0, 0);
        if (got <= 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        DispatchWithDialogKeys(msg);
    }
    FormClose();
    ShowWindow(hwnd_, SW_HIDE);
    modal_ = false;
    return modalResult_;
}

LRESULT Form::ControlColor(HDC dc, HWND control) {
    for (const Entry& e : entries_) {
        if (e.hwnd != control) continue;
        if (e.def.color != kDefaultColor) SetTextColor(dc, e.def.color);
        if (e.def.flags & kTransparent) {
            SetBkMode(dc, TRANSPARENT);
            return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
        }
        if (background_.valid() && GetParent(control) == hwnd_) {
            SetBkColor(dc, def_.background);
            return reinterpret_cast<LRESULT>(background_.get());
        }
        break;
    }
    return DefWindowProc932(hwnd_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
}

LRESULT Form::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND: {
            Entry* e = FindById(LOWORD(wParam));
            if (!e) break;
            if (HIWORD(wParam) == BN_CLICKED && e->onClick) e->onClick();
            if (HIWORD(wParam) == EN_CHANGE && e->onChange) e->onChange();
            return 0;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN: return ControlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE) PostMessageA(hwnd_, kActivateMessage, 0, 0);
            break;
        case kActivateMessage: FormActivate(); return 0;
        case WM_SIZE: FormResize(); break;
        case WM_ERASEBKGND:
            if (background_.valid()) {
                RECT r;
                GetClientRect(hwnd_, &r);
                FillRect(reinterpret_cast<HDC>(wParam), &r, background_.get());
                return 1;
            }
            break;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd_, &ps);
            FormPaint(dc);
            EndPaint(hwnd_, &ps);
            if (pending_ > 0 && !realiseScheduled_) {
                // The rest is made once the first page is on the screen and the queue is quiet.
                realiseScheduled_ = true;
                SetTimer(hwnd_, kRealiseTimer, kRealiseDelay, nullptr);
            }
            return 0;
        }
        case WM_TIMER:
            if (wParam != kRealiseTimer) break;
            KillTimer(hwnd_, kRealiseTimer);
            RealiseAll();
            return 0;
        case WM_CLOSE:
            if (modal_) {
                SetModalResult(2);
                return 0;
            }
            break;
    }
    return DefWindowProc932(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK Form::StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        Form* created = static_cast<Form*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        created->hwnd_ = hwnd;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
    }
    Form* form = reinterpret_cast<Form*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!form) return DefWindowProc932(hwnd, message, wParam, lParam);
    return form->WindowProc(message, wParam, lParam);
}

LRESULT CALLBACK Form::GroupProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
        case WM_NOTIFY:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLOREDIT: return SendMessageA(GetAncestor(hwnd, GA_ROOT), message, wParam, lParam);
        case WM_ERASEBKGND: {
            // A group box leaves its inside unpainted; a group that holds controls must fill it.
            RECT r;
            GetClientRect(hwnd, &r);
            FillRect(reinterpret_cast<HDC>(wParam), &r, GetSysColorBrush(COLOR_BTNFACE));
            return 1;
        }
    }
    return CallWindowProc932(groupDefaultProc[IsWindowUnicode(hwnd) ? 1 : 0], hwnd, message, wParam, lParam);
}
