#include "engine/startup_win.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include "engine/environment.h"
#include "engine/files_win.h"
#include "engine/held_files_win.h"
#include "engine/system_win.h"
#include "engine/os_version.h"
#include "engine/payload_win.h"
#include "engine/paths.h"
#include "engine/registry_win.h"
#include "engine/unattended.h"
#include "owned_win.h"
#include "system_files_win.h"
#include "system_text_win.h"

namespace {

const char kFatalWindows[] = "【致命的エラー → Windowsフォルダ取得失敗】";
const char kFatalSystem[] = "【致命的エラー → WindowsSystemフォルダ取得失敗】";
const char kFatalScript[] = "【致命的エラー → iniファイル読み込み失敗】";
const char kFatalWorkFolder[] = "【致命的エラー → 作業フォルダ作成失敗】";
const char kFatalUnpack[] = "【致命的エラー → パッケージ展開失敗】";

void AddStartupError(const char* line) { Environment().StartupErrors += std::string(line) + "\r\n"; }

// Shell folder with a trailing backslash; a failed lookup gives the one-character "\".
std::string ShellFolder(int csidl) { return AddPathDelimiter(GetSpecialFolder(csidl), "B"); }

void RecognizeWindows() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof(info);
    OsIdentity id = GetVersionExA(&info)
                        ? RecognizeOs(static_cast<int>(info.dwPlatformId), static_cast<int>(info.dwMajorVersion),
                                      static_cast<int>(info.dwMinorVersion), static_cast<int>(info.dwBuildNumber))
                        : RecognizeOs(-1, -1, -1, -1);
    Environment().OsName = id.name;
    Environment().OsFamily = id.family;
}

std::string FolderFromQuery(UINT (*query)(char*, UINT)) {
    char buffer[MAX_PATH];
    UINT n = query(buffer, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return "";
    return AddPathDelimiter(std::string(buffer, n), "B");
}

std::string ProgramFilesFromRegistry() {
    return AddPathDelimiter(
        ReadRegistryText(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir"), "B");
}

UINT TempPathQuery(char* buffer, UINT size) { return GetTempPath932(size, buffer); }

// An all-users macro: its own shell folder where the system has one (NT), else a copy of
// the user's macro.
void SetCommonLookup(const char* common, bool own, int csidl, const char* user) {
    if (own) FolderMacros().SetLookup(common, [csidl] { return ShellFolder(csidl); });
    else FolderMacros().SetLookup(common, [user] { return FolderMacros().Get(user); });
}

void DetectFolders() {
    FolderMacroTable& macros = FolderMacros();
    EnvironmentInfo& env = Environment();

    std::string win = ShellFolder(CSIDL_WINDOWS);
    if (win == "\\") win = FolderFromQuery(GetWindowsDirectory932);
    if (win.empty()) AddStartupError(kFatalWindows);
    macros.Set("(Win)", win);

    std::string sys = ShellFolder(CSIDL_SYSTEM);
    if (sys == "\\") sys = FolderFromQuery(GetSystemDirectory932);
    if (sys.empty()) AddStartupError(kFatalSystem);
    macros.Set("(Sys)", sys);
    env.HasShfolder = FileExists(sys + "Shfolder.dll");

    // The other shell folders are looked up when a macro first needs them: each lookup
    // costs the shell a few milliseconds, and the first page needs none of them.
    const std::string winDrive = RemovePathDelimiter(DriveOfPath(win), "B");
    macros.SetLookup("(Prg)", [winDrive] {
        std::string prg = ShellFolder(CSIDL_PROGRAM_FILES);
        if (prg != "\\") return prg;
        prg = ProgramFilesFromRegistry();
        return prg == "\\" || !FolderExists(prg) ? winDrive + "\\Program Files\\" : prg;
    });
    macros.SetLookup("(Myd)", [winDrive] {
        const std::string myd = ShellFolder(CSIDL_PERSONAL);
        return myd == "\\" ? winDrive + "\\My Documents\\" : myd;
    });
    macros.Set("(App)", "(App)");
    macros.Set("(Boo)", win.substr(0, 2) + "\\");
    macros.Set("(Edr)", env.SourceFolder.substr(0, 2) + "\\");

    const bool nt = env.OsFamily == WindowsFamily::Nt;
    const struct {
        const char* user;
        const char* common;
        int csidl;
        int commonCsidl;
    } shell[] = {
        {"(Smn)", "(C_Smn)", CSIDL_STARTMENU, CSIDL_COMMON_STARTMENU},
        {"(Sta)", "(C_Sta)", CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS},
        {"(Dsk)", "(C_Dsk)", CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_DESKTOPDIRECTORY},
        {"(Sup)", "(C_Sup)", CSIDL_STARTUP, CSIDL_COMMON_STARTUP},
    };
    for (const auto& s : shell) {
        macros.SetLookup(s.user, [csidl = s.csidl] { return ShellFolder(csidl); });
        SetCommonLookup(s.common, nt, s.commonCsidl, s.user);
    }
    macros.SetLookup("(Sen)", [] { return ShellFolder(CSIDL_SENDTO); });
    SetCommonLookup("(C_Myd)", nt || env.HasShfolder, CSIDL_COMMON_DOCUMENTS, "(Myd)");
}

}  // namespace

std::vector<std::string> CommandArguments() {
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; args && i < count; ++i) {
        // Code page 932 like every other text, on any system code page (the log path the
        // uninstaller is started with may be Japanese); a 9x system's bytes as they came.
        std::string text;
        if (WideCalls()) {
            text = Narrow(args[i]);
        } else if (const int size = WideCharToMultiByte(CP_ACP, 0, args[i], -1, nullptr, 0, nullptr, nullptr);
                   size > 1) {
            text.resize(static_cast<std::size_t>(size));
            WideCharToMultiByte(CP_ACP, 0, args[i], -1, text.data(), size, nullptr, nullptr);
            text.resize(static_cast<std::size_t>(size - 1));
        }
        arguments.push_back(text);
    }
    if (args) LocalFree(args);
    return arguments;
}

std::string FirstArgument() {
    const std::vector<std::string> rest = ParseSwitches(CommandArguments()).arguments;
    return rest.empty() ? std::string() : rest.front();
}

void DetectEnvironment() {
    EnvironmentInfo& env = Environment();
    RecognizeWindows();
    env.SourceFolder = FolderOfPath(ModulePath());
    std::string tmp = FolderFromQuery(TempPathQuery);
    FolderMacros().Set("(Tmp)", tmp.empty() ? env.SourceFolder : tmp);
    DetectFolders();
}

void PrepareWorkFolder(const std::string& firstArgument) {
    EnvironmentInfo& env = Environment();
    const std::string tmp = FolderMacros().Get("(Tmp)");
    env.RunMode = RunModeFor(firstArgument);
    env.WorkFolder.clear();
    (void)CreateFolderPath(tmp);  // a work folder that cannot be made below it is reported next
    // Only a folder this process made is used: one that is there already may be another
    // program's, holding files of its choice.
    bool allTaken = true;
    for (int n = 1; n <= 99 && env.WorkFolder.empty() && allTaken; ++n) {
        if (CreateDirectory932(WorkFolderName(tmp, n).c_str(), nullptr)) env.WorkFolder = WorkFolderName(tmp, n);
        else allTaken = GetLastError() == ERROR_ALREADY_EXISTS;
    }
    if (env.WorkFolder.empty()) {
        // A temporary folder that takes no folder at all cannot take the script's copy either.
        AddStartupError(allTaken ? kFatalWorkFolder : kFatalScript);
        return;
    }
    if (env.RunMode == SetupMode::Setup && OwnPayloadState() == PayloadState::kWhole) {
        // A package in one file: its files come out beside the program's copy, and the copy is
        // the plain program that was packed, as the uninstaller must be.
        const std::string package = env.WorkFolder + "PACKAGE\\";
        if (!UnpackOwnPackage(package) ||
            !WriteAndHoldFile(env.WorkFolder + "SETUPB.EXE", RunningSetupProgram(), PackedProgramTime())) {
            AddStartupError(kFatalUnpack);
            return;
        }
        env.SourceFolder = package;
        env.FromPayload = true;
    } else {
        // The uninstaller's copy; without it the install still runs and only the log's program is missing.
        (void)CopyAndHold(ModulePath(), env.WorkFolder + "SETUPB.EXE");
    }
    const std::string script = env.RunMode == SetupMode::Unsetup ? "UNSETUP.INI" : "SETUP.INI";
    const std::string source = env.RunMode == SetupMode::Unsetup ? firstArgument : PackageFilePath("SETUP.INI");
    env.ScriptPath = env.WorkFolder + script;
    if (CopyAndHold(source, env.ScriptPath) != 0) AddStartupError(kFatalScript);
}
