// A form makes its hidden controls only when needed: their state waits for them, and
// once made they keep the table's order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "windows/form_win.h"

namespace {

const FormDef kPagesForm = {"TestPagesForm", "pages", 300, 200, {"ＭＳ Ｐゴシック", 12}};

std::vector<ControlDef> PagesControls() {
    using K = ControlKind;
    return {
        {K::Group, "grpFirst", nullptr, 8, 8, 280, 80, "first"},
        {K::Label, "lblFirst", "grpFirst", 8, 16, 200, 17, "shown"},
        {K::Group, "grpLater", nullptr, 8, 8, 280, 80, "later", kHidden},
        {K::Edit, "txtLater", "grpLater", 8, 16, 200, 24, "", kDisabled},
        {K::CheckBox, "chkLater", "grpLater", 8, 44, 200, 17, "tick", kHidden},
        {K::Button, "btnGo", nullptr, 8, 160, 80, 25, "go"},
    };
}

std::vector<std::string> ChildNames(HWND parent) {
    std::vector<std::string> names;
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        char text[64] = {};
        GetWindowTextA(c, text, sizeof(text));
        names.push_back(text);
    }
    return names;
}

class PagesForm : public Form {
public:
    PagesForm() : Form(kPagesForm) {
        RegisterFormClass(kPagesForm.className, nullptr);
        Create(nullptr, PagesControls());
    }
};

}  // namespace

TEST(FormControls, HiddenOnesWaitAndKeepTheirState) {
    PagesForm form;
    EXPECT_EQ(ChildNames(form.Handle()), (std::vector<std::string>{"first", "go"}));
    EXPECT_TRUE(GetPropA(form.Handle(), "KelvoPending"));

    form.SetText("txtLater", "C:\\Folder\\");
    form.SetEnabled("txtLater", true);
    form.SetChecked("chkLater", true);
    form.SetBounds("chkLater", RECT{8, 50, 150, 67});
    EXPECT_EQ(form.Text("txtLater"), "C:\\Folder\\");
    EXPECT_TRUE(form.IsEnabled("txtLater"));
    EXPECT_FALSE(form.IsVisible("grpLater"));
    EXPECT_EQ(ChildNames(form.Handle()).size(), 2u);

    // Showing the group brings its visible control; the hidden box still waits.
    form.SetVisible("grpLater", true);
    EXPECT_EQ(ChildNames(form.Handle()), (std::vector<std::string>{"first", "later", "go"}));
    HWND group = form.Control("grpLater");
    EXPECT_EQ(ChildNames(group), (std::vector<std::string>{"C:\\Folder\\"}));
    EXPECT_TRUE(IsWindowEnabled(GetWindow(group, GW_CHILD)));

    form.SetVisible("chkLater", true);
    HWND box = form.Control("chkLater");
    EXPECT_EQ(ChildNames(group), (std::vector<std::string>{"C:\\Folder\\", "tick"}));
    EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(form.Bounds("chkLater").top, 50);
    EXPECT_FALSE(GetPropA(form.Handle(), "KelvoPending"));
}

TEST(FormControls, AControlAskedForBeforeItsGroupIsMadeOnce) {
    PagesForm form;
    HWND edit = form.Control("txtLater");
    ASSERT_TRUE(edit);
    EXPECT_EQ(GetParent(edit), form.Control("grpLater"));
    EXPECT_EQ(ChildNames(form.Control("grpLater")).size(), 1u);
    EXPECT_FALSE(IsWindowVisible(form.Control("grpLater")));
}

TEST(FormControls, TheRestIsMadeAfterTheFirstPaint) {
    PagesForm form;
    ShowWindow(form.Handle(), SW_SHOWNA);
    UpdateWindow(form.Handle());
    const DWORD start = GetTickCount();
    MSG msg;
    while (GetPropA(form.Handle(), "KelvoPending") && GetTickCount() - start < 5000) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        Sleep(5);
    }
    EXPECT_FALSE(GetPropA(form.Handle(), "KelvoPending"));
    EXPECT_EQ(ChildNames(form.Handle()), (std::vector<std::string>{"first", "later", "go"}));
    EXPECT_EQ(ChildNames(form.Control("grpLater")), (std::vector<std::string>{"", "tick"}));
    EXPECT_FALSE(form.IsVisible("chkLater"));
}
