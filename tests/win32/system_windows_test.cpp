// Windows made as on an English Windows (code page 1252) are Unicode and get their Japanese
// texts as the right UTF-16, and their fonts find the Japanese faces by name.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "system_text_win.h"
#include "system_windows_win.h"
#include "windows/form_win.h"

namespace {

const FormDef kForm = {"TestWideTextForm", "表示の確認", 300, 200, {"ＭＳ Ｐゴシック", 12}};

std::vector<ControlDef> Controls() {
    using K = ControlKind;
    return {
        {K::Group, "grpBox", nullptr, 8, 8, 280, 100, "グループ"},
        {K::Label, "lblTitle", "grpBox", 8, 16, 260, 24, "", 0, {"ＭＳ Ｐ明朝", 16, false, true}},
        {K::Edit, "txtFolder", "grpBox", 8, 48, 260, 24, ""},
        {K::Button, "btnNext", nullptr, 8, 160, 80, 25, "次へ(&N) >"},
    };
}

// The boundary of a system off code page 932, for the test's own windows only.
class BoundaryOfAnotherCodePage {
public:
    BoundaryOfAnotherCodePage() : saved_(CurrentTextBoundary()) {
        SetTextBoundary(ChooseTextBoundary(true, 1252, true));
    }
    ~BoundaryOfAnotherCodePage() { SetTextBoundary(saved_); }
    BoundaryOfAnotherCodePage(const BoundaryOfAnotherCodePage&) = delete;
    BoundaryOfAnotherCodePage& operator=(const BoundaryOfAnotherCodePage&) = delete;

private:
    TextBoundary saved_;
};

std::wstring TextW(HWND window) {
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}

LOGFONTW FontOf(HWND control) {
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font;
}

// The width and height the text takes in the control's font, measured in UTF-16.
SIZE ExtentW(HWND control, const wchar_t* text) {
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT r{0, 0, 0, 0};
    DrawTextW(dc, text, -1, &r, DT_CALCRECT | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

}  // namespace

TEST(SystemWindows, JapaneseTextsAndFontsOffCodePage932) {
    const BoundaryOfAnotherCodePage boundary;
    RegisterFormClass(kForm.className, nullptr);
    Form form(kForm);
    form.Create(nullptr, Controls());
    HWND group = form.Control("grpBox"), title = form.Control("lblTitle"), edit = form.Control("txtFolder");
    ASSERT_TRUE(group && title && edit);

    // Made Unicode, the group box too after the form put its own procedure in front.
    EXPECT_TRUE(IsWindowUnicode(form.Handle()));
    EXPECT_TRUE(IsWindowUnicode(group));
    EXPECT_EQ(TextW(form.Handle()), L"表示の確認");
    EXPECT_EQ(TextW(group), L"グループ");
    EXPECT_EQ(TextW(form.Control("btnNext")), L"次へ(&N) >");
    EXPECT_TRUE(SetWindowText932(group, "新しい項目"));
    EXPECT_EQ(TextW(group), L"新しい項目");

    // Trail bytes 0x5C (表, ソ, 能) are no backslashes, and the text comes back byte for byte.
    const std::string folder = "C:\\表ソ能\\";
    form.SetText("txtFolder", folder);
    EXPECT_EQ(TextW(edit), L"C:\\表ソ能\\");
    EXPECT_EQ(form.Text("txtFolder"), folder);
    SetWindowTextW(edit, L"D:\\予定表");  // as typed by the user
    EXPECT_EQ(form.Text("txtFolder"), "D:\\予定表");
    form.SetCaption("セットアップ");
    EXPECT_EQ(TextW(form.Handle()), L"セットアップ");
    EXPECT_EQ(form.Caption(), "セットアップ");
    EXPECT_EQ(FindWindow932(kForm.className, "セットアップ"), form.Handle());

    // A list's entries go in and are found as the same text.
    HWND combo = CreateWindowEx932(0, "COMBOBOX", "", WS_CHILD | CBS_DROPDOWN, 0, 0, 100, 100, form.Handle(), nullptr,
                                   nullptr, nullptr);
    EXPECT_EQ(SendTextMessage932(combo, CB_ADDSTRING, 0, "１分"), 0);
    EXPECT_EQ(SendTextMessage932(combo, CB_ADDSTRING, 0, "表示"), 1);
    EXPECT_EQ(SendTextMessage932(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), "表示"), 1);
    wchar_t entry[16] = {};
    SendMessageW(combo, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(entry));
    EXPECT_STREQ(entry, L"１分");

    // The fonts keep their Japanese face names and sizes, and what is drawn has Japanese glyphs.
    const LOGFONTW formFont = FontOf(edit), titleFont = FontOf(title);
    EXPECT_STREQ(formFont.lfFaceName, L"ＭＳ Ｐゴシック");
    EXPECT_EQ(formFont.lfCharSet, SHIFTJIS_CHARSET);
    EXPECT_EQ(formFont.lfHeight, -12);
    EXPECT_STREQ(titleFont.lfFaceName, L"ＭＳ Ｐ明朝");
    EXPECT_EQ(titleFont.lfCharSet, SHIFTJIS_CHARSET);
    EXPECT_EQ(titleFont.lfHeight, -16);
    EXPECT_EQ(titleFont.lfWeight, FW_BOLD);
    HDC dc = GetDC(title);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(title, WM_GETFONT, 0, 0)));
    EXPECT_EQ(GetTextCharset(dc), SHIFTJIS_CHARSET);
    SelectObject(dc, old);
    ReleaseDC(title, dc);

    // Measured as two characters, not as four bytes.
    form.SetText("lblTitle", "表示");
    const SIZE extent = form.TextExtent("lblTitle"), expected = ExtentW(title, L"表示");
    EXPECT_GT(extent.cx, 0);
    EXPECT_EQ(extent.cx, expected.cx);
    EXPECT_EQ(extent.cy, expected.cy);
}
