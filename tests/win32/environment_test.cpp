// Folder detection as start-up does it, checked in whatever Windows version the
// prefix emulates (the end-to-end run calls this in each of them).
#include <gtest/gtest.h>

#include "engine/environment.h"
#include "engine/paths.h"
#include "engine/strings.h"
#include "engine/startup_win.h"
#include "test_support_win.h"

TEST(DetectedFolders, FollowThePlatformRules) {
    DetectEnvironment();
    const EnvironmentInfo& env = Environment();
    const FolderMacroTable& m = FolderMacros();
    EXPECT_TRUE(env.StartupErrors.empty()) << env.StartupErrors;
    for (const char* token : {"(Win)", "(Sys)", "(Tmp)", "(Prg)", "(Myd)", "(Boo)", "(Edr)"}) {
        EXPECT_TRUE(EndsWithPathDelimiter(m.Get(token))) << token;
        EXPECT_NE(m.Get(token), "\\") << token;
    }
    EXPECT_EQ(m.Get("(App)"), "(App)");
    EXPECT_EQ(m.Get("(Set)"), "");
    EXPECT_EQ(m.Get("(Boo)"), m.Get("(Win)").substr(0, 2) + "\\");
    const struct {
        const char* user;
        const char* common;
    } pairs[] = {{"(Smn)", "(C_Smn)"}, {"(Sta)", "(C_Sta)"}, {"(Dsk)", "(C_Dsk)"}, {"(Sup)", "(C_Sup)"}};
    if (env.OsFamily == WindowsFamily::NotNt) {
        for (const auto& p : pairs) EXPECT_EQ(m.Get(p.common), m.Get(p.user)) << p.common;
        if (!env.HasShfolder) {
            EXPECT_EQ(m.Get("(C_Myd)"), m.Get("(Myd)"));
        }
    } else {
        for (const auto& p : pairs) EXPECT_NE(m.Get(p.common), m.Get(p.user)) << p.common;
        EXPECT_NE(m.Get("(C_Myd)"), m.Get("(Myd)"));
    }
    EXPECT_EQ(env.HasShfolder, FileExists(m.Get("(Sys)") + "Shfolder.dll"));
}
