// The programs' own INI reader and writer against the system's profile functions, on code
// page 932: the same inputs give the same values and leave the same bytes in the file.
// Where Wine writes a whole new file from what it parsed (blank lines dropped, blanks and
// line breaks normalised), the native tests show the lines kept instead.
#include <windows.h>

#include <gtest/gtest.h>

#include "engine/ini_file_win.h"
#include "system_text_win.h"
#include "test_support_win.h"

using namespace std::string_literals;

namespace {

// The system's cache forgets a file written behind its back only when flushed.
void Flush(const std::string& file) { WritePrivateProfileStringA(nullptr, nullptr, nullptr, file.c_str()); }

std::string SystemRead(const char* section, const char* key, const char* fallback, const std::string& file) {
    std::string buffer(300000, '\0');
    const DWORD got = GetPrivateProfileStringA(section, key, fallback, buffer.data(), buffer.size(), file.c_str());
    return buffer.substr(0, got);
}

bool Exists(const std::string& file) { return GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES; }

struct Read {
    std::string text;
    const char* section;
    const char* key;
    const char* fallback = "DEF";
};

struct Write {
    const char* before;  // no file when null
    const char* section;
    const char* key;    // null: the section goes
    const char* value;  // null: the key goes
};

unsigned long OurWrite(const Write& write, const std::string& file) {
    if (!write.key) return RemoveIniSection(write.section, file);
    if (!write.value) return RemoveIniKey(write.section, write.key, file);
    return WriteIniValue(write.section, write.key, write.value, file);
}

class TextBoundaryScope {
public:
    explicit TextBoundaryScope(const TextBoundary& boundary) : saved_(CurrentTextBoundary()) {
        SetTextBoundary(boundary);
    }
    ~TextBoundaryScope() { SetTextBoundary(saved_); }

private:
    TextBoundary saved_;
};

}  // namespace

TEST(IniAsSystem, ReadsWhatTheSystemReads) {
    ScratchFolder dir;
    const std::string file = dir / "R.INI";
    const Read reads[] = {
        // Names: any letter case, blanks around them in the file and in the request.
        {"[S]\r\nK=v\r\n", "s", "k"},
        {" [ S ] \r\n  K  =  v  x  \r\n", "S", "K"},
        {"[S]\r\nK=v\r\n", " S ", " K "},
        {"[S]\r\n\tK\t=\tv\t\r\n", "S", "K"},
        {"[ＳＥＣ]\r\nａｂ=v\r\n", "ｓｅｃ", "ＡＢ"},
        {"[S]\r\nｱ表=ｶﾅ表\\\r\n", "S", "ｱ表"},
        // Quotes: one matching pair goes, nothing else.
        {"[S]\r\nK=\"v\"\r\n", "S", "K"},
        {"[S]\r\nK=\"v'\r\n", "S", "K"},
        {"[S]\r\nK=\"\"\r\n", "S", "K"},
        {"[S]\r\nK=\"a\"b\"\r\n", "S", "K"},
        {"[S]\r\nK=\" v \"\r\n", "S", "K"},
        // The first section and the first key win; a later section of the same name is not read.
        {"[S]\r\nK=1\r\n[S]\r\nK=2\r\nJ=3\r\n", "S", "K"},
        {"[S]\r\nK=1\r\n[S]\r\nK=2\r\nJ=3\r\n", "S", "J"},
        {"[S]\r\nK=1\r\nk=2\r\n", "S", "K"},
        // Missing: the default, without its trailing blanks; an empty value is no default.
        {"[S]\r\nK=v\r\n", "T", "K"},
        {"[S]\r\n", "S", "K", "  d  "},
        {"[S]\r\nK=\r\n", "S", "K"},
        {"[S]\r\nK\r\n", "S", "K"},
        // Comments are lines like any other; keys before the first header.
        {"[S]\r\n;K=1\r\n", "S", ";K"},
        {"K=v\r\n[S]\r\n", "", "K"},
        // Headers: the last ']' closes; none, no header.
        {"[S] x\r\nK=v\r\n", "S", "K"},
        {"[S]x]\r\nK=v\r\n", "S]x", "K"},
        {"[S\r\nK=v\r\n", "S", "K"},
        // Line breaks, a last line without one, NUL bytes, long lines.
        {"[S]\nA=1\nK=v\n", "S", "K"},
        {"[S]\rA=1\rK=v\r", "S", "K"},
        {"[S]\r\nK=v", "S", "K"},
        {"[S]\r\nA=1\0x\r\nK=2\r\n"s, "S", "A"},
        {"[S]\r\nA=1\0x\r\nK=2\r\n"s, "S", "K"},
        {"[S]\r\nK=" + std::string(100000, 'w') + "\r\nJ=1\r\n", "S", "K"},
        {"[S]\r\nK=" + std::string(100000, 'w') + "\r\nJ=1\r\n", "S", "J"},
    };
    for (const Read& read : reads) {
        WriteFile(file, read.text);
        Flush(file);
        EXPECT_EQ(ReadIniValue(read.section, read.key, read.fallback, file),
                  SystemRead(read.section, read.key, read.fallback, file))
            << read.text.substr(0, 40) << " [" << read.section << "] " << read.key;
    }
    EXPECT_EQ(ReadIniValue("S", "K", "d", dir / "none.ini"), SystemRead("S", "K", "d", dir / "none.ini"));
}

TEST(IniAsSystem, NumberedListsAreTheKeysTheSystemReads) {
    ScratchFolder dir;
    const std::string file = dir / "L.INI";
    const std::string texts[] = {
        "[L]\r\nFile1=a\r\nfile2 = 'b'\r\nFILE3=\"c\"\r\nFile4=d\r\n",
        "[L]\nFile2=b\nFile1=a\nFile1=not this\n;File3=no\nFile3=\"\"\nFile4=d\n",
        "[L]\r\nFile1=a\r\n[M]\r\nFile2=b\r\n[L]\r\nFile2=c\r\n",
        "[L]\r\nFile1=C:\\表\\ｶﾅ\r\nFile2=b",
    };
    for (const std::string& text : texts) {
        WriteFile(file, text);
        Flush(file);
        std::vector<std::string> system;
        for (int n = 1;; ++n) {
            const std::string value = SystemRead("l", ("file" + std::to_string(n)).c_str(), "", file);
            if (value.empty()) break;
            system.push_back(value);
        }
        EXPECT_EQ(ReadNumberedValues("l", "file", file), system) << text;
    }
}

TEST(IniAsSystem, WritesTheBytesTheSystemWrites) {
    ScratchFolder dir;
    const std::string ours = dir / "OURS.INI", theirs = dir / "THEIRS.INI";
    const Write writes[] = {
        // A missing or empty file, a missing section (after a last line without line break).
        {nullptr, "S", "K", "V"},
        {"[A]\r\nX=1\r\n", "S", "K", "V"},
        {"[A]\r\nX=1", "S", "K", "V"},
        {"[S\r\nK=v\r\n", "S", "K", "w"},
        // A missing key goes at the end of its section.
        {"[A]\r\nX=1", "A", "K", "V"},
        {"[S]\r\nA=1\r\n[T]\r\nB=2\r\n", "S", "K", "V"},
        {"[S]\r\n;c\r\n", "S", "K", "V"},
        // A value replaced in place, the first of a repeated key, under the file's name.
        {"[S]\r\n  k = old \r\n;c\r\n", "S", "K", "new"},
        {"[S]\r\nK=1\r\nK=2\r\n", "S", "K", "3"},
        {"[S]\r\nK=1\r\n", "S", "K", ""},
        {"[S]\r\nｱ表=ｶﾅ表\\\r\n", "S", "ｱ表", "新ｶ表"},
        // The value as given, but for leading blanks; the same value leaves the file alone.
        {"[S]\r\n", "S", "K", "  v  "},
        {"[S]\r\nK = v\r\n", "S", "K", "v"},
        // Keys and sections removed; missing ones leave the file alone.
        {"[S]\r\nA=1\r\nB=2\r\n", "S", "A", nullptr},
        {"[S]\r\nA=1\r\n", "S", "Z", nullptr},
        {"[R]\r\nX=1\r\n[S]\r\nA=1\r\n[T]\r\nB=2\r\n", "s", nullptr, nullptr},
        {"[S]\r\nA=1\r\n[S]\r\nB=2\r\n", "S", nullptr, nullptr},
        {nullptr, "Z", nullptr, nullptr},
    };
    for (const Write& write : writes) {
        for (const std::string& file : {ours, theirs}) {
            DeleteFileA(file.c_str());
            if (write.before) WriteFile(file, write.before);
        }
        Flush(theirs);
        const bool systemDone = WritePrivateProfileStringA(write.section, write.key, write.value, theirs.c_str());
        Flush(theirs);
        const std::string what = std::string(write.before ? write.before : "(none)") + " [" + write.section + "] " +
                                 (write.key ? write.key : "(section)") + "=" + (write.value ? write.value : "(key)");
        EXPECT_EQ(OurWrite(write, ours) == 0, systemDone) << what;
        EXPECT_EQ(Exists(ours), Exists(theirs)) << what;
        EXPECT_EQ(ReadFile(ours), ReadFile(theirs)) << what;
    }
    // A UTF-16 file, and a file in a missing folder.
    const std::string wide = "\xFF\xFE[\0S\0]\0\r\0\n\0K\0=\0v\0\r\0\n\0"s;
    WriteFile(ours, wide);
    WriteFile(theirs, wide);
    Flush(theirs);
    EXPECT_EQ(WriteIniValue("S", "K", "w", ours), 0u);
    EXPECT_TRUE(WritePrivateProfileStringA("S", "K", "w", theirs.c_str()));
    Flush(theirs);
    EXPECT_EQ(ReadFile(ours), ReadFile(theirs));
    EXPECT_EQ(ReadIniValue("S", "K", "", ours), "w");
    EXPECT_EQ(WriteIniValue("S", "K", "v", dir / "none\\A.INI"), static_cast<unsigned long>(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(Exists(dir / "none\\A.INI.KSN"));
    // A read-only file is refused alike, and keeps its bytes.
    for (const std::string& file : {ours, theirs}) {
        WriteFile(file, "[S]\r\nK=v\r\n");
        SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY);
    }
    Flush(theirs);
    const bool systemDone = WritePrivateProfileStringA("S", "K", "w", theirs.c_str());
    Flush(theirs);
    EXPECT_EQ(WriteIniValue("S", "K", "w", ours) == 0, systemDone);
    EXPECT_EQ(ReadFile(ours), ReadFile(theirs));
    EXPECT_FALSE(Exists(ours + ".KSN"));
    for (const std::string& file : {ours, theirs}) SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(IniAsSystem, ANameWithoutFolderIsInTheWindowsFolder) {
    const std::string name = "KSINITST.INI";
    ASSERT_EQ(WriteIniValue("S", "K", "here", name), 0u);
    Flush(name);
    EXPECT_EQ(SystemRead("S", "K", "", name), "here");
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    EXPECT_TRUE(DeleteFileA((std::string(windows) + "\\" + name).c_str()));
}

// The system's own profiles go through the system, which may keep them cached (9x) or in the
// registry (NT): what is written there is what the system then reads.
TEST(IniAsSystem, WinIniIsWrittenThroughTheSystem) {
    ASSERT_EQ(WriteIniValue("KelvoTest", "Key", "値", "win.ini"), 0u);
    char got[32] = {};
    GetProfileStringA("KelvoTest", "Key", "", got, sizeof got);
    EXPECT_STREQ(got, "値");
    ASSERT_EQ(RemoveIniSection("KelvoTest", "WIN.INI"), 0u);
    GetProfileStringA("KelvoTest", "Key", "gone", got, sizeof got);
    EXPECT_STREQ(got, "gone");
}

TEST(IniAsSystem, JapaneseBytesSurviveOffCodePage932) {
    // As on a Windows whose code page is UTF-8: names through the W functions, the file's
    // bytes untouched by any conversion.
    ScratchFolder dir;
    const std::string folder = dir / "表ｶﾅ\\";
    ASSERT_EQ(CreateFolderPath(folder), 0u);
    const std::string file = folder + "設定表.INI";
    const std::string value = "C:\\表\\ｶﾅ\\能";  // trail bytes 0x5C
    {
        const TextBoundaryScope utf8(ChooseTextBoundary(true, 65001, true));
        ASSERT_TRUE(WideCalls());
        ASSERT_EQ(WriteIniValue("表示", "ソフト", value, file), 0u);
        ASSERT_EQ(WriteIniValue("表示", "ｶﾅ", "ｱ", file), 0u);
        EXPECT_EQ(ReadIniValue("表示", "ソフト", "", file), value);
        EXPECT_EQ(ReadIniValue("表示", "ｶﾅ", "", file), "ｱ");
        EXPECT_EQ(RemoveIniKey("表示", "ｶﾅ", file), 0u);
        WIN32_FIND_DATAW found;
        const HANDLE find = FindFirstFileW(Wide(folder + "*.INI").c_str(), &found);
        ASSERT_NE(find, INVALID_HANDLE_VALUE);
        FindClose(find);
        EXPECT_EQ(Narrow(found.cFileName), "設定表.INI");
    }
    EXPECT_EQ(ReadFile(file), "[表示]\r\nソフト=" + value + "\r\n");
    Flush(file);
    EXPECT_EQ(SystemRead("表示", "ソフト", "", file), value);
}
