#include "engine/shared_dll_win.h"

#include <gtest/gtest.h>

#include "engine/environment.h"
#include "engine/file_copy_win.h"
#include "engine/file_delete_win.h"
#include "test_support_win.h"

namespace {

std::string Recorded(const std::string& dllName) {
    char value[64] = {};
    DWORD size = sizeof(value);
    if (RegGetValueA(HKEY_CURRENT_USER, "Software\\KelvoTest", dllName.c_str(), RRF_RT_REG_SZ, nullptr, value, &size) !=
        ERROR_SUCCESS)
        return "";
    return value;
}

}  // namespace

TEST(SharedCount, CountsUpFromOneOrTwoAndDisappearsAtZero) {
    ScratchFolder dir;
    const std::string fresh = dir / "NEW.DLL";
    EXPECT_EQ(ReadSharedCount(fresh), 0u);
    EXPECT_EQ(ChangeSharedCount(fresh, true), 1u);
    EXPECT_EQ(ChangeSharedCount(fresh, true), 2u);
    EXPECT_EQ(ReadSharedCount(fresh), 2u);
    EXPECT_EQ(ChangeSharedCount(fresh, false), 1u);
    EXPECT_EQ(ChangeSharedCount(fresh, false), 0u);
    EXPECT_EQ(ChangeSharedCount(fresh, false), 0u);  // lowering 0 keeps it removed

    // A file already there without a count stands for one earlier user.
    const std::string existing = dir / "OLD.DLL";
    WriteFile(existing, "x");
    EXPECT_EQ(ChangeSharedCount(existing, true), 2u);
    EXPECT_EQ(ChangeSharedCount(existing, false), 1u);
    EXPECT_EQ(ChangeSharedCount(existing, false), 0u);
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs", 0, KEY_READ,
                            &key),
              ERROR_SUCCESS);
    EXPECT_NE(RegQueryValueExA(key, existing.c_str(), nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    RegCloseKey(key);
}

TEST(SharedCountNames, CountsReadOnceFindNamesInAnyCaseAndFollowLaterChanges) {
    ScratchFolder dir;
    const std::string counted = dir / "ＡCOUNTED.DLL";  // a full-width letter too
    ChangeSharedCount(counted, true);
    ChangeSharedCount(counted, true);
    const SharedCountNames names;
    EXPECT_EQ(names.Read(counted), 2u);
    EXPECT_EQ(names.Read(dir / "ａcounted.dll"), 2u);  // the registry ignores letter case, full-width too
    EXPECT_EQ(names.Read(dir / "OTHER.DLL"), 0u);
    ChangeSharedCount(counted, false);
    EXPECT_EQ(names.Read(counted), 1u);  // a count lowered since is read as it is now
    ChangeSharedCount(counted, false);
    EXPECT_EQ(names.Read(counted), 0u);
}

TEST(RegisterComponent, EveryOutcomeAndNoMessageBox) {
    using R = ComponentRegistration;
    ScratchFolder dir;
    const std::string ok = dir / "component_ok.dll", fails = dir / "component_fails.dll";
    ASSERT_EQ(CopyOneFile(FixturePath("testcomponent", "component_ok.dll"), ok), 0u);
    ASSERT_EQ(CopyOneFile(FixturePath("testcomponent", "component_fails.dll"), fails), 0u);

    EXPECT_EQ(RegisterComponent(ok, true), R::Registered);
    EXPECT_EQ(Recorded("component_ok.dll"), "registered");
    EXPECT_EQ(RegisterComponent(ok, false), R::Unregistered);
    EXPECT_EQ(Recorded("component_ok.dll"), "unregistered");
    // The run reports the failures: nothing here may stop on a box.
    MessageBoxWatcher watcher;
    EXPECT_EQ(RegisterComponent(fails, true), R::EntryFailed);  // DllRegisterServer returns 1
    EXPECT_EQ(RegisterComponent(dir / "missing.dll", true), R::NotLoaded);
    EXPECT_EQ(RegisterComponent(dir / "missing.dll", false), R::NotLoaded);
    EXPECT_EQ(RegisterComponent(FixturePath("sleeper", "sleeper.exe"), true), R::NoEntryPoint);
    EXPECT_FALSE(watcher.Wait(0));  // a box would have held the call until answered
}

TEST(ShellDeleteFile, UnregistersComponentsBeforeDeletingThem) {
    ScratchFolder dir;
    const std::string backup = dir / "component_ok.dll.bak";
    ASSERT_EQ(CopyOneFile(FixturePath("testcomponent", "component_ok.dll"), backup), 0u);
    EXPECT_EQ(ShellDeleteFile(backup), 0u);
    EXPECT_EQ(Recorded("component_ok.dll.bak"), "unregistered");
    EXPECT_FALSE(FileExists(backup));
}
