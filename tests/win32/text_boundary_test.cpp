// Japanese names and texts reaching the system as a Windows of another ANSI code page meets
// them: through the W functions, checked against the Unicode names with the W functions.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>

#include "engine/file_delete_win.h"
#include "engine/files_win.h"
#include "engine/registry_win.h"
#include "install/install_run_win.h"
#include "install/shortcut_entry.h"
#include "owned_win.h"
#include "system_files_win.h"
#include "system_text_win.h"
#include "test_support_win.h"

namespace {

// 表 and ソ end in the byte of a backslash; ｶﾅ are half-width kana, one byte each.
const char kName[] = "表ソｶﾅ";
const wchar_t kWideName[] = L"\x8868\x30BD\xFF76\xFF85";

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The boundary of an NT system whose ANSI code page is the parameter, for one test.
class OtherCodePage : public testing::TestWithParam<unsigned> {
protected:
    void SetUp() override { SetTextBoundary(ChooseTextBoundary(true, GetParam(), true)); }
    void TearDown() override { SetTextBoundary(saved_); }

private:
    TextBoundary saved_ = CurrentTextBoundary();
};

std::wstring ReadWideValue(const std::wstring& key, const wchar_t* name, DWORD& type) {
    OwnedKey opened;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, opened.put()) != ERROR_SUCCESS) return L"<no key>";
    wchar_t data[64] = {};
    DWORD size = sizeof data;
    if (RegQueryValueExW(opened.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) != ERROR_SUCCESS)
        return L"<no value>";
    return std::wstring(data, size / sizeof(wchar_t));
}

}  // namespace

TEST(TextBoundary, WideCallsOnNtWithCodePage932AndItsTableOffIt) {
    const TextBoundary ninetyFive = ChooseTextBoundary(false, 1252, true);
    EXPECT_FALSE(ninetyFive.wideCalls);
    EXPECT_TRUE(ninetyFive.systemCodePage);
    const TextBoundary withoutJapanese = ChooseTextBoundary(true, 1252, false);
    EXPECT_FALSE(withoutJapanese.wideCalls);
    EXPECT_TRUE(withoutJapanese.systemCodePage);
    const TextBoundary japanese = ChooseTextBoundary(true, 932, true);
    EXPECT_TRUE(japanese.wideCalls);
    EXPECT_TRUE(japanese.systemCodePage);
    for (unsigned codePage : {936u, 1252u, 65001u}) {
        const TextBoundary other = ChooseTextBoundary(true, codePage, true);
        EXPECT_TRUE(other.wideCalls) << codePage;
        EXPECT_FALSE(other.systemCodePage) << codePage;
    }
}

TEST_P(OtherCodePage, FilesAndFoldersKeepTheirJapaneseNames) {
    ScratchFolder dir;
    const std::wstring wideDir = Wide(dir.path());
    const std::string folder = dir / kName;
    const std::wstring wideFolder = wideDir + kWideName;
    ASSERT_EQ(CreateFolderPath(folder), 0u);
    ASSERT_TRUE(Exists(wideFolder));
    EXPECT_TRUE(GetFileAttributesW(wideFolder.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_TRUE(FolderExists(folder));

    const std::string file = folder + "\\" + kName + ".txt";
    ASSERT_EQ(WriteWholeFile(file, "bytes"), 0u);
    EXPECT_TRUE(Exists(wideFolder + L"\\" + kWideName + L".txt"));
    EXPECT_EQ(ReadWholeFile(file), "bytes");

    // Found by pattern, its name as the engine spells it; the long name found again from the short one.
    WIN32_FIND_DATAA found{};
    const OwnedFind find(FindFirstFile932((folder + "\\*.txt").c_str(), &found));
    ASSERT_TRUE(find.valid());
    EXPECT_EQ(std::string(found.cFileName), std::string(kName) + ".txt");
    EXPECT_FALSE(FindNextFile932(find.get(), &found));
    char shortName[MAX_PATH] = "", longName[MAX_PATH] = "", full[MAX_PATH] = "";
    const DWORD shortLength = GetShortPathName932(file.c_str(), shortName, MAX_PATH);
    ASSERT_GT(shortLength, 0u);
    ASSERT_LT(shortLength, static_cast<DWORD>(MAX_PATH));
    EXPECT_EQ(GetLongPathName932(shortName, longName, MAX_PATH), file.size());
    EXPECT_EQ(std::string(longName), file);
    EXPECT_EQ(GetFullPathName932((folder + "\\.\\" + kName + ".txt").c_str(), MAX_PATH, full), file.size());
    EXPECT_EQ(std::string(full), file);
    // A buffer one byte short answers the size it needs, as the A function does.
    EXPECT_EQ(GetFullPathName932(file.c_str(), static_cast<DWORD>(file.size()), full), file.size() + 1);

    // Moved, marked read-only, and deleted through the engine, which clears the mark first.
    const std::string moved = folder + "\\ｶﾅ表.txt";
    ASSERT_TRUE(MoveFile932(file.c_str(), moved.c_str()));
    EXPECT_FALSE(Exists(wideFolder + L"\\" + kWideName + L".txt"));
    const std::wstring wideMoved = wideFolder + L"\\\xFF76\xFF85\x8868.txt";
    EXPECT_TRUE(Exists(wideMoved));
    ASSERT_TRUE(SetFileAttributes932(moved.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(GetFileAttributesW(wideMoved.c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(GetFileAttributes932(moved.c_str()), GetFileAttributesW(wideMoved.c_str()));
    EXPECT_EQ(ShellDeleteFile(moved), 0u);
    EXPECT_FALSE(Exists(wideMoved));

    ASSERT_TRUE(RemoveDirectory932(folder.c_str()));
    EXPECT_FALSE(Exists(wideFolder));
    EXPECT_FALSE(FolderExists(folder));
}

TEST_P(OtherCodePage, RegistryNamesAndTextsAreStoredAsUnicode) {
    const std::string path = std::string("Software\\KelvoBoundaryTest\\") + kName;
    const std::wstring widePath = L"Software\\KelvoBoundaryTest\\" + std::wstring(kWideName);
    OwnedKey key;
    ASSERT_EQ(RegCreateKeyEx932(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ | KEY_WRITE, key.put()), ERROR_SUCCESS);
    const std::string text = kName;
    ASSERT_EQ(RegSetValueEx932(key.get(), "名前", REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                               static_cast<DWORD>(text.size() + 1)),
              ERROR_SUCCESS);
    const char list[] = "表\0ｶﾅ\0";  // two texts, each ended; the array's end ends the list
    ASSERT_EQ(RegSetValueEx932(key.get(), "一覧", REG_MULTI_SZ, reinterpret_cast<const BYTE*>(list), sizeof list),
              ERROR_SUCCESS);
    const DWORD number = 0x5C5C;
    ASSERT_EQ(RegSetValueEx932(key.get(), "数", REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number),
              ERROR_SUCCESS);

    DWORD type = 0;
    EXPECT_EQ(ReadWideValue(widePath, L"\x540D\x524D", type), std::wstring(kWideName) + L'\0');
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(ReadWideValue(widePath, L"\x4E00\x89A7", type), std::wstring(L"\x8868\0\xFF76\xFF85\0\0", 6));
    EXPECT_EQ(type, static_cast<DWORD>(REG_MULTI_SZ));

    // Read back in code page 932 bytes, counted as the A function counts them.
    DWORD size = 0;
    ASSERT_EQ(RegQueryValueEx932(key.get(), "一覧", &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, sizeof list);
    char bytes[sizeof list] = {};
    size = sizeof list - 1;
    EXPECT_EQ(RegQueryValueEx932(key.get(), "一覧", &type, reinterpret_cast<BYTE*>(bytes), &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, sizeof list);
    ASSERT_EQ(RegQueryValueEx932(key.get(), "一覧", &type, reinterpret_cast<BYTE*>(bytes), &size), ERROR_SUCCESS);
    EXPECT_EQ(std::string(bytes, size), std::string(list, sizeof list));
    DWORD read = 0;
    size = sizeof read;
    ASSERT_EQ(RegQueryValueEx932(key.get(), "数", &type, reinterpret_cast<BYTE*>(&read), &size), ERROR_SUCCESS);
    EXPECT_EQ(read, number);
    EXPECT_EQ(ReadRegistryText(HKEY_CURRENT_USER, path, "名前"), text);

    int names = 0;
    char name[64];
    for (DWORD i = 0;; ++i) {
        DWORD length = sizeof name;
        if (RegEnumValueName932(key.get(), i, name, &length) != ERROR_SUCCESS) break;
        const std::string found(name, length);
        EXPECT_TRUE(found == "名前" || found == "一覧" || found == "数") << found;
        ++names;
    }
    EXPECT_EQ(names, 3);
    DWORD tooShort = 2;
    EXPECT_EQ(RegEnumValueName932(key.get(), 0, name, &tooShort), ERROR_MORE_DATA);

    ASSERT_EQ(RegDeleteValue932(key.get(), "名前"), ERROR_SUCCESS);
    EXPECT_EQ(ReadWideValue(widePath, L"\x540D\x524D", type), L"<no value>");
    key.reset();
    DeleteRegistryKey("(Cuser)", "Software\\KelvoBoundaryTest");
    EXPECT_EQ(ReadWideValue(widePath, L"\x4E00\x89A7", type), L"<no key>");
}

TEST_P(OtherCodePage, ShellLinkKeepsItsJapaneseTexts) {
    const ComApartment com;
    ScratchFolder dir;
    const std::string folder = dir / kName;
    ASSERT_EQ(CreateFolderPath(folder + "\\"), 0u);
    const std::string target = folder + "\\ｶﾅ.exe";
    ASSERT_EQ(WriteWholeFile(target, "MZ"), 0u);
    ShortcutEntry entry;
    entry.target = target;
    entry.arguments = "/表 ソ";
    entry.workingFolder = folder;
    entry.link = folder + "\\表のリンク";
    const std::string made = CreateShortcutFile(entry);
    ASSERT_EQ(made, entry.link + ".lnk");
    const std::wstring wideFolder = Wide(dir.path()) + kWideName;
    ASSERT_TRUE(Exists(wideFolder + L"\\\x8868\x306E\x30EA\x30F3\x30AF.lnk"));

    OwnedCom<IShellLinkW> link;
    ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                           reinterpret_cast<void**>(link.put()))));
    OwnedCom<IPersistFile> persist;
    ASSERT_TRUE(SUCCEEDED(link.get()->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(persist.put()))));
    ASSERT_TRUE(SUCCEEDED(persist.get()->Load(Wide(made).c_str(), STGM_READ)));
    wchar_t text[MAX_PATH] = L"";
    ASSERT_TRUE(SUCCEEDED(link.get()->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH)));
    EXPECT_EQ(lstrcmpiW(text, (wideFolder + L"\\\xFF76\xFF85.exe").c_str()), 0);
    ASSERT_TRUE(SUCCEEDED(link.get()->GetArguments(text, MAX_PATH)));
    EXPECT_EQ(std::wstring(text), L"/\x8868 \x30BD");
    ASSERT_TRUE(SUCCEEDED(link.get()->GetWorkingDirectory(text, MAX_PATH)));
    EXPECT_EQ(lstrcmpiW(text, (wideFolder + L"\\").c_str()), 0);
}

INSTANTIATE_TEST_SUITE_P(CodePages, OtherCodePage, testing::Values(936u, 65001u, 1252u));
