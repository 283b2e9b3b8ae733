#include "engine/os_version.h"

namespace {

std::string NtName(int major, int minor) {
    if (major == 4) return "Windows NT4.0";
    if (major != 5) return "Windows";
    switch (minor) {
        case 0: return "Windows 2000";
        case 1: return "Windows XP";
        case 2: return "Windows 2003";
        default: return "Windows NT Technology";
    }
}

// On the 95 platform the build may carry major and minor in its high word,
// so both plain (1998, 2222, 3000) and packed forms are tested.
std::string Win9xName(int minor, int build) {
    if (minor >= 90 || build >= 0x045A0BB8 || build == 3000) return "Windows Me";
    if (minor < 0) return "Windows";
    if (minor < 10) return "Windows 95";
    if (build <= 2222 && build > 1998) return "Windows 98<SE>";
    if (build <= 1998) return "Windows 98";
    if (build < 0x040A07CE) return "Windows";
    if (build < 0x040A08AE) return "Windows 98";
    return "Windows 98<SE>";
}

}  // namespace

OsIdentity RecognizeOs(int platform, int major, int minor, int build) {
    if (platform == kPlatformNT) return {NtName(major, minor), WindowsFamily::Nt};
    if (platform == kPlatformWin95) return {Win9xName(minor, build), WindowsFamily::NotNt};
    return {"Windows", WindowsFamily::Unknown};
}
