#pragma once
// A thin typed layer over plain Win32 windows: a form is built from a table of its
// controls, finds them by name, and routes clicks and changes to callbacks. A control that
// starts hidden is made only when it is first needed, or once the form has painted: a
// window with many pages then shows its first page sooner.
#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "owned_win.h"

enum class ControlKind { Label, Button, CheckBox, Radio, Edit, Memo, Group, Image, Progress };

struct FontStyle {
    const char* face = nullptr;  // nullptr: the form's font
    int height = 0;              // character height in pixels
    bool italic = false;
    bool bold = false;
};

enum ControlFlags : unsigned {
    kHidden = 1u << 0,
    kDisabled = 1u << 1,
    kChecked = 1u << 2,
    kCentered = 1u << 3,
    kWordWrap = 1u << 4,
    kTransparent = 1u << 5,
    kReadOnly = 1u << 6,
    kVScroll = 1u << 7,
    kHScroll = 1u << 8,
};

constexpr COLORREF kDefaultColor = CLR_INVALID;

struct ControlDef {
    ControlKind kind;
    const char* name;
    const char* parent;  // a group's name, or nullptr for the form itself
    int left, top, width, height;
    const char* caption;
    unsigned flags = 0;
    FontStyle font = {};
    COLORREF color = kDefaultColor;
};

struct FormDef {
    const char* className;
    const char* caption;
    int clientWidth, clientHeight;
    FontStyle font;
    COLORREF background = kDefaultColor;
};

class Form {
public:
    explicit Form(const FormDef& def);
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    void Create(HWND owner, const std::vector<ControlDef>& controls);
    HWND Handle() const { return hwnd_; }
    HWND Control(const std::string& name);  // makes the control if it is still pending
    bool IsControl(HWND hwnd, const std::string& name) const;

    void SetText(const std::string& name, const std::string& text);
    std::string Text(const std::string& name) const;
    void SetEnabled(const std::string& name, bool enabled);
    bool IsEnabled(const std::string& name) const;
    void SetVisible(const std::string& name, bool visible);
    bool IsVisible(const std::string& name) const;
    void SetChecked(const std::string& name, bool checked);
    bool IsChecked(const std::string& name) const;
    RECT Bounds(const std::string& name) const;  // relative to the control's parent
    void SetBounds(const std::string& name, const RECT& bounds);
    void Focus(const std::string& name);
    // Recreates the control with other style flags (e.g. scroll bars, which a live edit
    // control does not take on), keeping its text, place, visibility and enabled state.
    void SetFlags(const std::string& name, unsigned flags);
    // The size the control's text takes in its font (lines break only at CR LF).
    SIZE TextExtent(const std::string& name);

    void SetCaption(const std::string& text);
    std::string Caption() const;
    void Show(int command = SW_SHOW);
    void Hide();
    // A form kept hidden ignores Show and ShowModal shows nothing: unattended runs use the
    // windows' state without letting anyone see them.
    void KeepHidden() { keepHidden_ = true; }
    bool IsShown() const;
    // Holds a shown form's painting, controls included, until ResumePainting repaints it
    // whole: many changes then cost one paint.
    void HoldPainting();
    void ResumePainting();

    int ShowModal();
    void SetModalResult(int result);

    void OnClick(const std::string& name, std::function<void()> handler);
    void OnChange(const std::string& name, std::function<void()> handler);

    // The window procedure of every form class.
    static LRESULT CALLBACK StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

protected:
    virtual void FormActivate() {}
    virtual bool FormCloseQuery() { return true; }
    virtual void FormClose() {}
    virtual void FormResize() {}
    virtual void FormPaint(HDC) {}
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    HFONT MakeFont(const FontStyle& font);

private:
    // Until the control is made, def (flags, place) and text hold its state.
    struct Entry {
        ControlDef def;
        std::string text;
        HWND hwnd = nullptr;
        OwnedGdi<HFONT> font;
        OwnedAtom name;  // for the UI driver
        std::function<void()> onClick;
        std::function<void()> onChange;
    };
    static LRESULT CALLBACK GroupProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void CreateControl(Entry& entry, HWND parent, int id);
    HWND Realise(Entry& entry);
    void RealiseAll();
    void PlaceInTableOrder(const Entry& entry);
    static void Name(Entry& entry);
    Entry* Find(const std::string& name);
    const Entry* Find(const std::string& name) const;
    Entry* FindById(int id);
    LRESULT ControlColor(HDC dc, HWND control);
    void RunCloseQuery();

    FormDef def_;
    HWND hwnd_ = nullptr;
    OwnedGdi<HFONT> formFont_;
    OwnedGdi<HBRUSH> background_;
    std::vector<Entry> entries_;
    int pending_ = 0;  // controls not made yet
    bool realiseScheduled_ = false;
    int modalResult_ = 0;
    bool modal_ = false;
    bool keepHidden_ = false;
    bool paintingHeld_ = false;
};

// Registers the window classes once and names the module's icon for forms.
void RegisterFormClass(const char* className, HICON icon);
