// Win32 helpers of the install run: numbered INI lists, file age and size, replacing and
// deleting files at the next start, and shell links.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <winioctl.h>

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "engine/environment.h"
#include "engine/files_win.h"
#include "engine/system_win.h"
#include "engine/ini_file_win.h"
#include "engine/paths.h"
#include "engine/restart_files_win.h"
#include "install/install_run_win.h"
#include "install/shortcut_entry.h"
#include "test_support_win.h"

namespace {

using Strings = std::vector<std::string>;

}  // namespace

// ---- ReadNumberedValues ----

TEST(ReadNumberedValues, StopsAtTheFirstMissingOrEmptyValue) {
    ScratchFolder dir;
    const std::string file = dir / "LIST.INI";
    WriteFile(file,
              "[Gap]\r\nItem1=a\r\nItem2=b\r\nItem4=d\r\n"
              "[Empty]\r\nItem1=a\r\nItem2=\r\nItem3=c\r\n"
              "[NoOne]\r\nItem2=b\r\n"
              "[Quoted]\r\nItem1=\"q v\"\r\nItem2=x\r\n");
    EXPECT_EQ(ReadNumberedValues("Gap", "Item", file), (Strings{"a", "b"}));
    EXPECT_EQ(ReadNumberedValues("Empty", "Item", file), (Strings{"a"}));
    EXPECT_EQ(ReadNumberedValues("NoOne", "Item", file), Strings{});
    EXPECT_EQ(ReadNumberedValues("Missing", "Item", file), Strings{});
    EXPECT_EQ(ReadNumberedValues("Gap", "Item", dir / "NONE.INI"), Strings{});
    // Quotes around a value go, as with the system's single-value reading.
    EXPECT_EQ(ReadNumberedValues("Quoted", "Item", file), (Strings{"q v", "x"}));
    EXPECT_EQ(ReadIniValue("Quoted", "Item1", "", file), "q v");
}

TEST(ReadNumberedValues, AgreesWithTheSystemsSingleKeyReading) {
    ScratchFolder dir;
    const std::string file = dir / "ODD.INI";
    WriteFile(file,
              "[S]\r\n"
              "Item1 = spaced value \r\n"
              "Item2=\"double\"\r\n"
              "Item3='single'\r\n"
              "Item4=\"open only\r\n"
              "Item5=a=b\r\n"
              "Item6=\"\"\r\n");
    const Strings values = ReadNumberedValues("S", "Item", file);
    Strings system;
    for (int n = 1;; ++n) {
        const std::string v = ReadIniValue("S", "Item" + std::to_string(n), "", file);
        if (v.empty()) break;
        system.push_back(v);
    }
    EXPECT_EQ(values, system);
    EXPECT_EQ(values.size(), 5u);
}

TEST(ReadNumberedValues, KeysAndSectionsIgnoreCase) {
    ScratchFolder dir;
    const std::string file = dir / "CASE.INI";
    WriteFile(file, "[CopyFile]\r\nfile1=a\r\nFILE2=b\r\nFiLe3=c\r\n");
    EXPECT_EQ(ReadNumberedValues("CopyFile", "File", file), (Strings{"a", "b", "c"}));
    EXPECT_EQ(ReadNumberedValues("copyfile", "file", file), (Strings{"a", "b", "c"}));
}

TEST(ReadNumberedValues, FirstOfARepeatedKeyWins) {
    ScratchFolder dir;
    const std::string file = dir / "DUP.INI";
    WriteFile(file, "[S]\r\nFile1=first\r\nFile2=two\r\nfile1=second\r\nFile3=three\r\n");
    EXPECT_EQ(ReadNumberedValues("S", "File", file), (Strings{"first", "two", "three"}));
    // The same answer as the system gives for the single key.
    EXPECT_EQ(ReadIniValue("S", "File1", "", file), "first");
}

TEST(ReadNumberedValues, TenThousandKeysAreReadFast) {
    ScratchFolder dir;
    const std::string file = dir / "BIG.INI";
    std::string text = "[Other]\r\nFile1=not this\r\n[CopyFile]\r\n";
    for (int n = 1; n <= 10000; ++n)
        text += "File" + std::to_string(n) + "=(App)Data\\file" + std::to_string(n) + ".dat,/S\r\n";
    text += "[After]\r\nFile1=nor this\r\n";
    WriteFile(file, text);
    const DWORD start = GetTickCount();
    const Strings values = ReadNumberedValues("CopyFile", "File", file);
    const DWORD ms = GetTickCount() - start;
    ASSERT_EQ(values.size(), 10000u);
    EXPECT_EQ(values[0], "(App)Data\\file1.dat,/S");
    EXPECT_EQ(values[9999], "(App)Data\\file10000.dat,/S");
    EXPECT_LT(ms, 3000u) << "10,000 keys took " << ms << " ms";
    std::printf("[          ] 10,000 numbered keys read in %lu ms\n", static_cast<unsigned long>(ms));
}

// ---- FileAge and FileSize ----

namespace {

bool SetLocalWriteTime(const std::string& path, WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second) {
    SYSTEMTIME st{};
    st.wYear = year;
    st.wMonth = month;
    st.wDay = day;
    st.wHour = hour;
    st.wMinute = minute;
    st.wSecond = second;
    FILETIME local, utc;
    if (!SystemTimeToFileTime(&st, &local) || !LocalFileTimeToFileTime(&local, &utc)) return false;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    const BOOL ok = SetFileTime(h, nullptr, nullptr, &utc);
    CloseHandle(h);
    return ok != FALSE;
}

}  // namespace

TEST(FileAge, PackedLocalDateAndTimeOrMinusOne) {
    ScratchFolder dir;
    EXPECT_EQ(FileAge(dir / "missing.txt"), -1);
    EXPECT_EQ(FileAge(RemovePathDelimiter(dir.path(), "B")), -1);  // a folder has no file age

    WriteFile(dir / "old.txt", "old");
    WriteFile(dir / "new.txt", "new");
    ASSERT_TRUE(SetLocalWriteTime(dir / "old.txt", 2001, 2, 3, 4, 5, 7));
    ASSERT_TRUE(SetLocalWriteTime(dir / "new.txt", 2003, 12, 31, 23, 59, 58));
    // Date: (year - 1980) << 9 | month << 5 | day; time: hour << 11 | minute << 5 | seconds / 2.
    EXPECT_EQ(FileAge(dir / "old.txt"),
              static_cast<long>((((21 << 9) | (2 << 5) | 3) << 16) | ((4 << 11) | (5 << 5) | 3)));
    EXPECT_EQ(FileAge(dir / "new.txt"),
              static_cast<long>((((23 << 9) | (12 << 5) | 31) << 16) | ((23 << 11) | (59 << 5) | 29)));
    EXPECT_GT(FileAge(dir / "new.txt"), FileAge(dir / "old.txt"));
}

TEST(FileSize, BytesOrMinusOne) {
    ScratchFolder dir;
    EXPECT_EQ(FileSize(dir / "missing.txt"), -1);
    WriteFile(dir / "five.txt", "hello");
    WriteFile(dir / "empty.txt", "");
    EXPECT_EQ(FileSize(dir / "five.txt"), 5);
    EXPECT_EQ(FileSize(dir / "empty.txt"), 0);
    EXPECT_GE(FileSize(dir / "*.txt"), 0);  // a directory search: any match
}

TEST(FileSize, AboveFourGiBFromASparseFile) {
    ScratchFolder dir;
    const std::string path = dir / "big.bin";
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD returned = 0;
    const bool sparse = DeviceIoControl(h, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr) != FALSE;
    const LONGLONG size = (LONGLONG{5} << 30) + 3;
    LARGE_INTEGER to;
    to.QuadPart = size;
    const DWORD start = GetTickCount();
    const bool extended = SetFilePointerEx(h, to, nullptr, FILE_BEGIN) && SetEndOfFile(h);
    CloseHandle(h);
    const DWORD ms = GetTickCount() - start;
    if (!extended) GTEST_SKIP() << "cannot make a 5 GiB file here";
    std::printf("[          ] 5 GiB file made in %lu ms (sparse flag %s)\n", static_cast<unsigned long>(ms),
                sparse ? "set" : "not available");
    EXPECT_EQ(FileSize(path), size);
    DeleteFileA(path.c_str());
}

// ---- Replacing and deleting at the next start ----

namespace {

const char* const kSessionManager = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
const char* const kPending = "PendingFileRenameOperations";

// The raw value, or nothing when there is none.
std::optional<std::vector<BYTE>> ReadPendingRaw() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
    DWORD type = 0, size = 0;
    std::optional<std::vector<BYTE>> result;
    if (RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
        std::vector<BYTE> data(size);
        if (RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr, &type, data.data(), &size) ==
            ERROR_SUCCESS) {
            data.resize(size);
            result = data;
        }
    }
    RegCloseKey(key);
    return result;
}

void RestorePending(const std::optional<std::vector<BYTE>>& saved) {
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
    if (saved)
        RegSetValueExW(key, L"PendingFileRenameOperations", 0, REG_MULTI_SZ, saved->data(),
                       static_cast<DWORD>(saved->size()));
    else RegDeleteValueA(key, kPending);
    RegCloseKey(key);
}

// The strings of the multi-string value, converted to the ANSI code page.
Strings PendingEntries() {
    Strings entries;
    const auto raw = ReadPendingRaw();
    if (!raw) return entries;
    const wchar_t* p = reinterpret_cast<const wchar_t*>(raw->data());
    const std::size_t count = raw->size() / sizeof(wchar_t);
    std::wstring current;
    for (std::size_t i = 0; i < count; ++i) {
        if (p[i] != L'\0') {
            current += p[i];
            continue;
        }
        char buffer[MAX_PATH * 4] = {};
        WideCharToMultiByte(CP_ACP, 0, current.c_str(), -1, buffer, sizeof(buffer), nullptr, nullptr);
        entries.push_back(buffer);
        current.clear();
    }
    return entries;
}

// Whether text ends with tail, ignoring case.
bool EndsWithText(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && lstrcmpiA(text.substr(text.size() - tail.size()).c_str(), tail.c_str()) == 0;
}

// The index of the entry naming path ("\??\" + path), or -1.
int FindPendingSource(const Strings& entries, const std::string& path) {
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (EndsWithText(entries[i], path) && entries[i].find("\\??\\") == 0) return static_cast<int>(i);
    return -1;
}

// Points (Win) at a scratch folder and sets the OS family for one test; restores both and the
// pending renames of the registry afterwards.
class RestartFiles : public ::testing::Test {
protected:
    void SetUp() override {
        savedWin_ = FolderMacros().Get("(Win)");
        savedFamily_ = Environment().OsFamily;
        savedPending_ = ReadPendingRaw();
        winDir = dir / "Win\\";
        EXPECT_EQ(CreateFolderPath(winDir), 0u);
        FolderMacros().Set("(Win)", winDir);
    }
    void TearDown() override {
        FolderMacros().Set("(Win)", savedWin_);
        Environment().OsFamily = savedFamily_;
        RestorePending(savedPending_);
    }
    ScratchFolder dir;
    std::string winDir;  // (Win) during the test

private:
    std::string savedWin_;
    WindowsFamily savedFamily_ = WindowsFamily::Unknown;
    std::optional<std::vector<BYTE>> savedPending_;
};

}  // namespace

TEST_F(RestartFiles, NtReplaceRecordsAPendingRenameOfATemporaryCopy) {
    Environment().OsFamily = WindowsFamily::Nt;
    WriteFile(dir / "new.dll", "new contents");
    WriteFile(dir / "in use.dll", "old contents");
    WriteFile(winDir + "KSTMP1.TMP", "left by an earlier run");

    ASSERT_EQ(ReplaceFileAtRestart(dir / "new.dll", dir / "in use.dll"), 0u);
    // The first free temporary name in (Win) holds the copy.
    EXPECT_EQ(ReadFile(winDir + "KSTMP1.TMP"), "left by an earlier run");
    EXPECT_EQ(ReadFile(winDir + "KSTMP2.TMP"), "new contents");
    EXPECT_EQ(ReadFile(dir / "in use.dll"), "old contents");  // nothing moves before the restart

    const Strings entries = PendingEntries();
    const int i = FindPendingSource(entries, winDir + "KSTMP2.TMP");
    ASSERT_GE(i, 0) << "no pending rename of " << (winDir + "KSTMP2.TMP");
    ASSERT_LT(static_cast<std::size_t>(i) + 1, entries.size());
    // Replace-existing: the destination carries a "!" before its NT path.
    EXPECT_EQ(entries[i + 1].find("!\\??\\"), 0u) << entries[i + 1];
    EXPECT_TRUE(EndsWithText(entries[i + 1], dir / "in use.dll")) << entries[i + 1];
    EXPECT_FALSE(FileExists(winDir + "WININIT.INI"));
}

TEST_F(RestartFiles, NtDeleteRecordsAPendingRenameToNothing) {
    Environment().OsFamily = WindowsFamily::Nt;
    WriteFile(dir / "gone.dll", "x");
    ASSERT_EQ(DeleteFileAtRestart(dir / "gone.dll"), 0u);
    const Strings entries = PendingEntries();
    const int i = FindPendingSource(entries, dir / "gone.dll");
    ASSERT_GE(i, 0) << "no pending delete of " << (dir / "gone.dll");
    ASSERT_LT(static_cast<std::size_t>(i) + 1, entries.size());
    EXPECT_EQ(entries[i + 1], "");
    EXPECT_TRUE(FileExists(dir / "gone.dll"));
    EXPECT_FALSE(FileExists(winDir + "WININIT.INI"));
}

TEST_F(RestartFiles, NotNtReplaceWritesTheRenameLineOfShortPaths) {
    Environment().OsFamily = WindowsFamily::NotNt;
    const auto before = ReadPendingRaw();
    WriteFile(dir / "new.dll", "new contents");
    WriteFile(dir / "in use library.dll", "old contents");

    ASSERT_EQ(ReplaceFileAtRestart(dir / "new.dll", dir / "in use library.dll"), 0u);
    EXPECT_EQ(ReadFile(winDir + "KSTMP1.TMP"), "new contents");
    const std::string destination = GetShortPath(dir / "in use library.dll");
    const std::string temporary = GetShortPath(winDir + "KSTMP1.TMP");
    ASSERT_FALSE(destination.empty());
    ASSERT_FALSE(temporary.empty());
    const std::string text = ReadFile(winDir + "WININIT.INI");
    EXPECT_NE(text.find("[Rename]\r\n" + destination + "=" + temporary + "\r\n"), std::string::npos) << text;
    EXPECT_EQ(ReadIniValue("Rename", destination, "", winDir + "WININIT.INI"), temporary);
    EXPECT_EQ(ReadPendingRaw(), before);  // the registry is not touched
}

TEST_F(RestartFiles, NotNtDeleteEditsWininitAsText) {
    Environment().OsFamily = WindowsFamily::NotNt;
    const auto before = ReadPendingRaw();
    const std::string wininit = winDir + "WININIT.INI";
    WriteFile(dir / "a.dll", "a");
    EXPECT_EQ(CreateFolderPath(dir / "Folder long name\\"), 0u);

    // No file yet: made with the one section.
    ASSERT_EQ(DeleteFileAtRestart(dir / "a.dll"), 0u);
    const std::string file = GetShortPath(dir / "a.dll");
    const std::string folder = GetShortPath(dir / "Folder long name");
    ASSERT_FALSE(file.empty());
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(ReadFile(wininit), "[Rename]\r\nNul=" + file + "\r\n");

    // A folder gets "DirNul="; the same file twice gives two lines.
    ASSERT_EQ(DeleteFileAtRestart(dir / "Folder long name"), 0u);
    ASSERT_EQ(DeleteFileAtRestart(dir / "a.dll"), 0u);
    EXPECT_EQ(ReadFile(wininit), "[Rename]\r\nNul=" + file + "\r\nDirNul=" + folder + "\r\nNul=" + file + "\r\n");

    // Before the first empty line of [Rename], whatever the letter case of its header.
    WriteFile(wininit, "[rename]\r\nX=Y\r\n\r\n[Other]\r\nC=D\r\n");
    ASSERT_EQ(DeleteFileAtRestart(dir / "a.dll"), 0u);
    EXPECT_EQ(ReadFile(wininit), "[rename]\r\nX=Y\r\nNul=" + file + "\r\n\r\n[Other]\r\nC=D\r\n");
    EXPECT_EQ(ReadPendingRaw(), before);
}

TEST_F(RestartFiles, OtherFamiliesRecordNothing) {
    Environment().OsFamily = WindowsFamily::Unknown;
    const auto before = ReadPendingRaw();
    WriteFile(dir / "new.dll", "new");
    WriteFile(dir / "old.dll", "old");
    EXPECT_EQ(ReplaceFileAtRestart(dir / "new.dll", dir / "old.dll"), 0u);
    EXPECT_EQ(DeleteFileAtRestart(dir / "old.dll"), 0u);
    EXPECT_FALSE(FileExists(winDir + "WININIT.INI"));
    EXPECT_EQ(ReadPendingRaw(), before);
    EXPECT_EQ(ReadFile(dir / "old.dll"), "old");
}

// ---- Shell links ----

namespace {

struct LinkContents {
    std::string path, arguments, workingFolder;
    bool loaded = false;
};

LinkContents ReadLink(const std::string& file) {
    LinkContents c;
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return c;
    IPersistFile* persist = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
        wchar_t wide[MAX_PATH * 2] = {};
        MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, wide, MAX_PATH * 2);
        if (SUCCEEDED(persist->Load(wide, STGM_READ))) {
            char buffer[MAX_PATH * 2] = {};
            link->GetPath(buffer, sizeof(buffer), nullptr, SLGP_RAWPATH);
            c.path = buffer;
            buffer[0] = '\0';
            link->GetArguments(buffer, sizeof(buffer));
            c.arguments = buffer;
            buffer[0] = '\0';
            link->GetWorkingDirectory(buffer, sizeof(buffer));
            c.workingFolder = buffer;
            c.loaded = true;
        }
        persist->Release();
    }
    link->Release();
    return c;
}

bool SamePath(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

class Shortcuts : public ::testing::Test {
protected:
    void SetUp() override {
        comReady_ = SUCCEEDED(CoInitialize(nullptr));
        EXPECT_EQ(CreateFolderPath(dir / "App\\"), 0u);
        EXPECT_EQ(CreateFolderPath(dir / "Work\\"), 0u);
        WriteFile(dir / "App\\tool.exe", "MZ not really a program");
        target = dir / "App\\tool.exe";
    }
    void TearDown() override {
        if (comReady_) CoUninitialize();
    }
    ShortcutEntry Entry(const std::string& link, const std::string& workingFolder, const std::string& arguments) {
        ShortcutEntry e;
        e.target = target;
        e.link = link;
        e.workingFolder = workingFolder;
        e.arguments = arguments;
        return e;
    }
    ScratchFolder dir;
    std::string target;

private:
    bool comReady_ = false;
};

}  // namespace

TEST_F(Shortcuts, RealLinkReadsBackInNewSubfolders) {
    const std::string made = CreateShortcutFile(Entry(dir / "Links\\Sub\\Kelvo Tool", dir / "Work", "/min x"));
    EXPECT_EQ(made, dir / "Links\\Sub\\Kelvo Tool.lnk");
    ASSERT_TRUE(FileExists(made));
    const LinkContents c = ReadLink(made);
    ASSERT_TRUE(c.loaded);
    EXPECT_TRUE(SamePath(c.path, target)) << c.path;
    EXPECT_EQ(c.arguments, "/min x");
    EXPECT_TRUE(SamePath(c.workingFolder, dir / "Work\\")) << c.workingFolder;  // a trailing backslash ensured
}

TEST_F(Shortcuts, WorkingFolderFallsBackToTheTargetsFolder) {
    for (const std::string& given : {std::string(), dir / "Missing folder"}) {
        SCOPED_TRACE(given);
        const std::string made = CreateShortcutFile(Entry(dir / "Links\\Fallback", given, ""));
        ASSERT_EQ(made, dir / "Links\\Fallback.lnk");
        const LinkContents c = ReadLink(made);
        ASSERT_TRUE(c.loaded);
        EXPECT_TRUE(SamePath(c.workingFolder, dir / "App\\")) << c.workingFolder;
        EXPECT_EQ(c.arguments, "");
        DeleteFileA(made.c_str());
    }
}

TEST_F(Shortcuts, NameWithLnkGetsNoSecondExtension) {
    const std::string made = CreateShortcutFile(Entry(dir / "Named.LNK", dir / "Work\\", ""));
    EXPECT_EQ(made, dir / "Named.LNK");
    EXPECT_TRUE(FileExists(dir / "Named.LNK"));
    EXPECT_FALSE(FileExists(dir / "Named.LNK.lnk"));
    EXPECT_TRUE(ReadLink(made).loaded);
}

TEST_F(Shortcuts, ReadyLinkTargetIsCopied) {
    WriteFile(dir / "App\\ready.Lnk", "a ready link, copied byte for byte");
    ShortcutEntry e = Entry(dir / "Links\\Copied", "", "/ignored");
    e.target = dir / "App\\ready.Lnk";
    const std::string made = CreateShortcutFile(e);
    EXPECT_EQ(made, dir / "Links\\Copied.lnk");
    EXPECT_EQ(ReadFile(made), "a ready link, copied byte for byte");
}
