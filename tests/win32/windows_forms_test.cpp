// The status window's and the shared-file question's button logic, on real windows.
#include <gtest/gtest.h>

#include "test_support_win.h"
#include "windows/back_form_win.h"
#include "windows/custom_dlg_win.h"
#include "windows/status_form_win.h"
#include "windows/win_reboot_win.h"
#include "wizard/main_form_win.h"

namespace {

void CreateFormsOnce() {
    static bool created = false;
    if (created) return;
    created = true;
    for (const char* name : {"TfrmBack", "TfrmMain", "TfrmStatus", "TfrmCustomDlg"}) RegisterFormClass(name, nullptr);
    frmBack().Create();
    frmMain().Create(frmBack().Handle());
    frmStatus().Create(frmBack().Handle(), frmMain());
    frmCustomDlg().Create(frmBack().Handle());
}

void PostClick(Form& form, const char* name) { PostMessageA(form.Control(name), BM_CLICK, 0, 0); }

void CALLBACK PressAbortLater(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    PostClick(frmStatus(), "btnAbort");
}

}  // namespace

TEST(SharedFileQuestion, EachButtonGivesExactlyItsAnswer) {
    CreateFormsOnce();
    using A = SharedFileAnswer;
    const std::pair<const char*, A> buttons[] = {
        {"btnYes", A::Yes}, {"btnNo", A::No}, {"btnDelete", A::DeleteAll}, {"btnSave", A::KeepAll}};
    for (const auto& [button, answer] : buttons) {
        PostClick(frmCustomDlg(), button);
        EXPECT_EQ(frmCustomDlg().Ask("共有ファイル\r\nを削除しますか？"), answer);
        EXPECT_FALSE(frmCustomDlg().IsShown());
    }
    EXPECT_EQ(frmCustomDlg().Text("lblMessage"), "共有ファイル\r\nを削除しますか？");
    EXPECT_EQ(GetWindowLongA(frmCustomDlg().Handle(), GWL_STYLE) & WS_SYSMENU, 0);  // no close box
}

TEST(SharedFileQuestion, EscapeDoesNotAnswer) {
    CreateFormsOnce();
    PostMessageA(frmCustomDlg().Control("btnYes"), WM_KEYDOWN, VK_ESCAPE, 0);
    PostClick(frmCustomDlg(), "btnSave");
    EXPECT_EQ(frmCustomDlg().Ask("x"), SharedFileAnswer::KeepAll);
}

TEST(StatusWindow, AbortQuestionAnsweredNoChangesNothing) {
    CreateFormsOnce();
    TfrmStatus& status = frmStatus();
    status.SetEnabled("btnAbort", true);  // as a run enables it
    status.Show();
    MessageBoxWatcher watcher;  // answers with OK, which is not Yes
    SendMessageA(status.Control("btnAbort"), BM_CLICK, 0, 0);
    ASSERT_TRUE(watcher.Wait());
    EXPECT_EQ(watcher.caption, "中断の確認");
    EXPECT_EQ(watcher.text.substr(0, watcher.text.find("\r\n")),
              "ここで処理を中断すると、すでにコピー済みのファイルなどは削除されません。");
    EXPECT_TRUE(status.IsShown());
    EXPECT_FALSE(status.Stopped());
    EXPECT_TRUE(IsWindowEnabled(frmMain().Handle()));
    EXPECT_FALSE(IsWindowEnabled(frmBack().Handle()));
    status.Hide();
    status.SetEnabled("btnAbort", false);
}

TEST(StatusWindow, StartsWithItsDesignedState) {
    CreateFormsOnce();
    TfrmStatus& status = frmStatus();
    EXPECT_EQ(status.Caption(), "進行状況");
    EXPECT_EQ(status.Text("lblStatus"), "0%(0/0)");
    EXPECT_EQ(status.Text("btnAbort"), "中断(&A)");
    EXPECT_FALSE(status.IsEnabled("btnAbort"));
    EXPECT_FALSE(status.IsVisible("fraStatus"));
    const UINT state = GetMenuState(GetSystemMenu(status.Handle(), FALSE), SC_CLOSE, MF_BYCOMMAND);
    EXPECT_TRUE(state & MF_GRAYED);
}

TEST(StatusWindow, StepsProgressAndNextWait) {
    CreateFormsOnce();
    TfrmStatus& status = frmStatus();
    status.ShowText("開始\r\n\r\nファイルをコピーしています．．．完了\r\n");
    EXPECT_EQ(status.Text("lblMessage"), "開始\r\n\r\nファイルをコピーしています．．．完了\r\n");
    status.ShowProgress(40, 4, 10);
    EXPECT_EQ(status.Text("lblStatus"), "40%(4/10)");

    // The next wait ends when the button is pressed, and only then.
    SetTimer(nullptr, 0, 300, PressAbortLater);
    const DWORD start = GetTickCount();
    status.WaitForNext();
    EXPECT_GE(GetTickCount() - start, 250u);
    EXPECT_EQ(status.Text("btnAbort"), "次へ(&N)");
    EXPECT_FALSE(status.IsEnabled("btnAbort"));
    EXPECT_TRUE(IsWindowEnabled(frmMain().Handle()));
}

TEST(WinReboot, ShutdownPrivilegeSwitches) {
    TWinReboot reboot;
    EXPECT_TRUE(reboot.EnableShutdownPrivilege("SeShutdownPrivilege", true));
    EXPECT_TRUE(reboot.EnableShutdownPrivilege("SeShutdownPrivilege", false));
    EXPECT_FALSE(reboot.EnableShutdownPrivilege("SeNoSuchPrivilege", true));
}
