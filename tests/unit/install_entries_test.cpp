// The install run's portable entry parsing: [CopyFile], [Registry], [Relate], [ShortCut],
// [ExecuteFile], the final page texts and the run's counters.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>

#include "engine/paths.h"
#include "install/copy_entry.h"
#include "install/final_page.h"
#include "install/install_state.h"
#include "install/settings_entries.h"
#include "install/shortcut_entry.h"

namespace {

// Sets folder macros for one test and puts the old values back afterwards.
class MacroTest : public ::testing::Test {
protected:
    void SetMacro(const std::string& token, const std::string& value) {
        if (!saved_.count(token)) saved_[token] = FolderMacros().Get(token);
        FolderMacros().Set(token, value);
    }
    void TearDown() override {
        for (const auto& [token, value] : saved_) FolderMacros().Set(token, value);
    }

private:
    std::map<std::string, std::string> saved_;
};

const std::string kPkg = "D:\\PKG\\";
constexpr std::int64_t kGiB = std::int64_t{1} << 30;

}  // namespace

// ---- [CopyFile] ----

using CopyEntryParsing = MacroTest;

TEST_F(CopyEntryParsing, PlainEntryWithMacroAndOptions) {
    SetMacro("(App)", "C:\\Kelvo\\");
    CopyEntry e = ParseCopyEntry("(App)Bin\\TOOL.EXE,/S/R", kPkg);
    EXPECT_EQ(e.destination, "C:\\Kelvo\\Bin\\TOOL.EXE");
    EXPECT_EQ(e.source, "D:\\PKG\\TOOL.EXE");
    EXPECT_EQ(e.options, ",/S/R");
    EXPECT_FALSE(e.diskChange);
    EXPECT_FALSE(e.compressed);
    // The macro's trailing backslash swallows one written after it.
    EXPECT_EQ(ParseCopyEntry("(App)\\TOOL.EXE", kPkg).destination, "C:\\Kelvo\\TOOL.EXE");
}

TEST_F(CopyEntryParsing, OptionsAreFieldTwoOnly) {
    EXPECT_EQ(ParseCopyEntry("C:\\A\\X.DLL", kPkg).options, "");
    EXPECT_EQ(ParseCopyEntry("C:\\A\\X.DLL,", kPkg).options, "");
    EXPECT_EQ(ParseCopyEntry("C:\\A\\X.DLL,/s/w", kPkg).options, ",/s/w");
    const CopyEntry e = ParseCopyEntry("C:\\A\\X.DLL,/S,ignored,too", kPkg);
    EXPECT_EQ(e.options, ",/S");
    EXPECT_EQ(e.destination, "C:\\A\\X.DLL");
    EXPECT_EQ(e.source, "D:\\PKG\\X.DLL");
    // An empty second field with a third one: no options.
    EXPECT_EQ(ParseCopyEntry("C:\\A\\X.DLL,,/S", kPkg).options, "");
}

TEST_F(CopyEntryParsing, DiskMarkOnlyInExactCaseAtTheStart) {
    CopyEntry e = ParseCopyEntry("(Dch)C:\\A\\DATA2.CAB,/W", kPkg);
    EXPECT_TRUE(e.diskChange);
    EXPECT_EQ(e.destination, "C:\\A\\DATA2.CAB");
    EXPECT_EQ(e.source, "D:\\PKG\\DATA2.CAB");
    EXPECT_EQ(e.options, ",/W");

    for (const char* mark : {"(dch)", "(DCH)", "(DcH)"}) {
        SCOPED_TRACE(mark);
        e = ParseCopyEntry(std::string(mark) + "C:\\A\\DATA2.CAB", kPkg);
        EXPECT_FALSE(e.diskChange);
        EXPECT_EQ(e.destination, std::string(mark) + "C:\\A\\DATA2.CAB");  // stays part of the path
        EXPECT_EQ(e.source, "D:\\PKG\\DATA2.CAB");
    }
    e = ParseCopyEntry(" (Dch)C:\\A\\X", kPkg);
    EXPECT_FALSE(e.diskChange);
}

TEST_F(CopyEntryParsing, NewNameWithAndWithoutLeadingBackslash) {
    CopyEntry e = ParseCopyEntry("C:\\A\\ORIG.EXE|NEW.EXE,/W", kPkg);
    EXPECT_EQ(e.destination, "C:\\A\\NEW.EXE");
    EXPECT_EQ(e.source, "D:\\PKG\\ORIG.EXE");  // the source keeps the name before "|"
    EXPECT_EQ(e.options, ",/W");
    EXPECT_FALSE(e.compressed);

    e = ParseCopyEntry("C:\\A\\ORIG.EXE|\\NEW.EXE", kPkg);
    EXPECT_EQ(e.destination, "C:\\A\\NEW.EXE");

    // Only the first "|" splits.
    e = ParseCopyEntry("C:\\A\\ORIG.EXE|N|EW.EXE", kPkg);
    EXPECT_EQ(e.destination, "C:\\A\\N|EW.EXE");
    EXPECT_EQ(e.source, "D:\\PKG\\ORIG.EXE");
}

TEST_F(CopyEntryParsing, CompressedSourceGoesToAutoExtUnlessRenamed) {
    CopyEntry e = ParseCopyEntry("C:\\A\\KELVO.DL_,/S", kPkg);
    EXPECT_EQ(e.destination, "C:\\A\\AUTO.EXT");
    EXPECT_EQ(e.source, "D:\\PKG\\KELVO.DL_");
    EXPECT_TRUE(e.compressed);
    EXPECT_EQ(e.options, ",/S");

    // With "|" the new name is used exactly as written, and the source still counts as compressed.
    e = ParseCopyEntry("C:\\A\\KELVO.DL_|Kelvo.dll", kPkg);
    EXPECT_EQ(e.destination, "C:\\A\\Kelvo.dll");
    EXPECT_EQ(e.source, "D:\\PKG\\KELVO.DL_");
    EXPECT_TRUE(e.compressed);

    // A folder whose name's trail byte is 0x5C: the folder part is still right.
    e = ParseCopyEntry("C:\\表\\X.EX_", kPkg);
    EXPECT_EQ(e.destination, "C:\\表\\AUTO.EXT");
    EXPECT_EQ(e.source, "D:\\PKG\\X.EX_");
}

TEST_F(CopyEntryParsing, TrailBytesAreNoMarkers) {
    // "ダ" is 0x83 0x5F: its trail byte is "_" but the name is not compressed.
    CopyEntry e = ParseCopyEntry("C:\\A\\データダ", kPkg);
    EXPECT_EQ(e.destination, "C:\\A\\データダ");
    EXPECT_EQ(e.source, "D:\\PKG\\データダ");
    EXPECT_FALSE(e.compressed);

    // "ポ" is 0x83 0x7C: its trail byte is "|" but nothing is renamed.
    e = ParseCopyEntry("C:\\A\\ポート.TXT,/S", kPkg);
    EXPECT_EQ(e.destination, "C:\\A\\ポート.TXT");
    EXPECT_EQ(e.source, "D:\\PKG\\ポート.TXT");
    EXPECT_EQ(e.options, ",/S");

    // A real "|" after such a character still splits.
    e = ParseCopyEntry("C:\\A\\ポ|新.TXT", kPkg);
    EXPECT_EQ(e.destination, "C:\\A\\新.TXT");
    EXPECT_EQ(e.source, "D:\\PKG\\ポ");
}

TEST(CopyEntryOptions, FoundAnywhereInAnyCase) {
    EXPECT_TRUE(HasOption(",/S", "/S"));
    EXPECT_TRUE(HasOption(",/w/s", "/S"));
    EXPECT_TRUE(HasOption(",/W /r", "/R"));
    EXPECT_FALSE(HasOption(",/SW", "/R"));
    EXPECT_FALSE(HasOption("", "/S"));
    EXPECT_FALSE(HasOption(",S", "/S"));
}

TEST(CopyEntryOverwrite, AskWhenChoiceOffElseOnlyNewer) {
    EXPECT_EQ(DecideOverwrite(false, false, 1, 2), OverwriteAction::Copy);
    EXPECT_EQ(DecideOverwrite(false, true, 1, 2), OverwriteAction::Copy);
    EXPECT_EQ(DecideOverwrite(true, false, 9, 2), OverwriteAction::Ask);
    EXPECT_EQ(DecideOverwrite(true, true, 9, 2), OverwriteAction::Copy);
    EXPECT_EQ(DecideOverwrite(true, true, 2, 2), OverwriteAction::Keep);  // equally old stays
    EXPECT_EQ(DecideOverwrite(true, true, 1, 2), OverwriteAction::Keep);
    // Compared as signed numbers: an unknown age (-1) is older than any.
    EXPECT_EQ(DecideOverwrite(true, true, -1, 2), OverwriteAction::Keep);
    EXPECT_EQ(DecideOverwrite(true, true, 2, -1), OverwriteAction::Copy);
}

TEST(CopyEntryTexts, ShownForAnEntry) {
    EXPECT_EQ(CopyEntryText("D:\\PKG\\A.EXE", "C:\\K\\A.EXE"), "【コピー元】A.EXE\r\n【コピー先】C:\\K\\A.EXE\r\n");
    EXPECT_EQ(MissingSourceText("D:\\PKG\\A.EXE", "C:\\K\\A.EXE"),
              "【コピー元】D:\\PKG\\A.EXE\r\n【コピー先】C:\\K\\A.EXE\r\n"
              "ファイルが存在しないためコピーをスキップしています．．．");
}

// ---- [Registry] ----

TEST(RegistryKey, TaggedAndUntagged) {
    RegistryKeyText k = SplitRegistryKey("(Local)\\Software\\Kelvo\\");
    EXPECT_EQ(k.rootTag, "(Local)");
    EXPECT_EQ(k.path, "Software\\Kelvo");

    k = SplitRegistryKey("(Class).kvd");
    EXPECT_EQ(k.rootTag, "(Class)");
    EXPECT_EQ(k.path, ".kvd");

    k = SplitRegistryKey("Software\\Kelvo");
    EXPECT_EQ(k.rootTag, "(Cuser)");
    EXPECT_EQ(k.path, "Software\\Kelvo");

    k = SplitRegistryKey("\\Software\\Kelvo\\");
    EXPECT_EQ(k.rootTag, "(Cuser)");
    EXPECT_EQ(k.path, "Software\\Kelvo");

    k = SplitRegistryKey("Soft");
    EXPECT_EQ(k.rootTag, "(Cuser)");
    EXPECT_EQ(k.path, "Soft");

    k = SplitRegistryKey("(Users)");
    EXPECT_EQ(k.rootTag, "(Users)");
    EXPECT_EQ(k.path, "");
}

TEST(RegistryKey, AnyParenthesisInTagPositionMakesATag) {
    // A tag in other letter case is kept as written (it selects HKEY_CURRENT_USER later)
    // and the path still starts after the seventh character.
    RegistryKeyText k = SplitRegistryKey("(local)\\Software\\Kelvo");
    EXPECT_EQ(k.rootTag, "(local)");
    EXPECT_EQ(k.path, "Software\\Kelvo");

    // First character "(" alone, or seventh ")" alone, is enough.
    k = SplitRegistryKey("(Abc)xxSoftware");
    EXPECT_EQ(k.rootTag, "(Abc)xx");
    EXPECT_EQ(k.path, "Software");
    k = SplitRegistryKey("Softwa)\\Kelvo");
    EXPECT_EQ(k.rootTag, "Softwa)");
    EXPECT_EQ(k.path, "Kelvo");
}

TEST(RegistryKey, OnlyOneBackslashAtEachEnd) {
    const RegistryKeyText k = SplitRegistryKey("(Cuser)\\\\Software\\\\");
    EXPECT_EQ(k.path, "\\Software\\");
    // A trail byte 0x5C at the end is no backslash.
    EXPECT_EQ(SplitRegistryKey("(Cuser)Software\\表").path, "Software\\表");
}

TEST(ScriptNumber, DecimalSigned32) {
    EXPECT_EQ(ParseScriptNumber("0"), 0);
    EXPECT_EQ(ParseScriptNumber("123"), 123);
    EXPECT_EQ(ParseScriptNumber("-45"), -45);
    EXPECT_EQ(ParseScriptNumber("+7"), 7);
    EXPECT_EQ(ParseScriptNumber("2147483647"), INT32_MAX);
    EXPECT_EQ(ParseScriptNumber("-2147483648"), INT32_MIN);
    EXPECT_EQ(ParseScriptNumber("2147483648"), std::nullopt);
    EXPECT_EQ(ParseScriptNumber("-2147483649"), std::nullopt);
    EXPECT_EQ(ParseScriptNumber("4294967296"), std::nullopt);
    EXPECT_EQ(ParseScriptNumber("99999999999999999999"), std::nullopt);
    // Leading zeros do not make a number too long.
    EXPECT_EQ(ParseScriptNumber("000000000012"), 12);
    EXPECT_EQ(ParseScriptNumber("-00000000002147483648"), INT32_MIN);
    EXPECT_EQ(ParseScriptNumber("00000000002147483648"), std::nullopt);
}

TEST(ScriptNumber, HexadecimalAfterDollar) {
    EXPECT_EQ(ParseScriptNumber("$FF"), 255);
    EXPECT_EQ(ParseScriptNumber("$ff"), 255);
    EXPECT_EQ(ParseScriptNumber("$7FFFFFFF"), INT32_MAX);
    EXPECT_EQ(ParseScriptNumber("$80000000"), INT32_MIN);
    EXPECT_EQ(ParseScriptNumber("$FFFFFFFF"), -1);
    EXPECT_EQ(ParseScriptNumber("-$10"), -16);
    EXPECT_EQ(ParseScriptNumber("$100000000"), std::nullopt);
    EXPECT_EQ(ParseScriptNumber("$0000000000FF"), 255);
    EXPECT_EQ(ParseScriptNumber("$FFFFFFFFFFFFFFFFFFFF"), std::nullopt);
    EXPECT_EQ(ParseScriptNumber("FF"), std::nullopt);  // hexadecimal needs the "$"
}

TEST(ScriptNumber, JunkIsNoNumber) {
    for (const char* junk : {"", "-", "+", "$", "-$", "abc", "12a", "1.5", "$G1", "1 2", "１２"}) {
        SCOPED_TRACE(junk);
        EXPECT_EQ(ParseScriptNumber(junk), std::nullopt);
    }
}

TEST(RegistryValue, NoDelimiterMarkInAnyCase) {
    std::string v = "(Str)(App)(Pdd)";
    EXPECT_TRUE(TakeNoDelimiterMark(v));
    EXPECT_EQ(v, "(Str)(App)");
    v = "(pdd)(Str)x(PDD)y(Pdd)";
    EXPECT_TRUE(TakeNoDelimiterMark(v));
    EXPECT_EQ(v, "(Str)xy");
    v = "(Str)C:\\K\\";
    EXPECT_FALSE(TakeNoDelimiterMark(v));
    EXPECT_EQ(v, "(Str)C:\\K\\");
}

TEST(RegistryValue, TypesByTag) {
    EXPECT_EQ(ParseRegistryValue("", false), std::nullopt);

    auto d = ParseRegistryValue("(Str)abc", false);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->kind, RegistryKind::String);
    EXPECT_EQ(d->text, "abc");

    d = ParseRegistryValue("(Str)", false);  // an empty string is still written
    ASSERT_TRUE(d);
    EXPECT_EQ(d->kind, RegistryKind::String);
    EXPECT_EQ(d->text, "");

    d = ParseRegistryValue("(Exp)%SystemRoot%\\kv.exe", false);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->kind, RegistryKind::ExpandString);
    EXPECT_EQ(d->text, "%SystemRoot%\\kv.exe");

    d = ParseRegistryValue("(Int)12", false);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->kind, RegistryKind::Dword);
    EXPECT_EQ(d->number, 12u);
    d = ParseRegistryValue("(Dwd)$10", false);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->kind, RegistryKind::Dword);
    EXPECT_EQ(d->number, 16u);
    d = ParseRegistryValue("(Int)-1", false);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->number, 0xFFFFFFFFu);
}

TEST(RegistryValue, IntJunkStoresZero) {
    for (const char* value : {"(Int)abc", "(Int)", "(Dwd)12x", "(Int)99999999999"}) {
        SCOPED_TRACE(value);
        auto d = ParseRegistryValue(value, false);
        ASSERT_TRUE(d);
        EXPECT_EQ(d->kind, RegistryKind::Dword);
        EXPECT_EQ(d->number, 0u);
    }
}

TEST(RegistryValue, BinIsHexWithoutPrefixInFourBytesLeastSignificantFirst) {
    auto d = ParseRegistryValue("(Bin)ff", false);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->kind, RegistryKind::Binary);
    EXPECT_EQ(d->number, 0x000000FFu);
    const unsigned char bytes[4] = {static_cast<unsigned char>(d->number), static_cast<unsigned char>(d->number >> 8),
                                    static_cast<unsigned char>(d->number >> 16),
                                    static_cast<unsigned char>(d->number >> 24)};
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0x00);
    EXPECT_EQ(bytes[2], 0x00);
    EXPECT_EQ(bytes[3], 0x00);

    d = ParseRegistryValue("(Bin)12345678", false);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->number, 0x12345678u);
    d = ParseRegistryValue("(Bin)FFFFFFFF", false);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->number, 0xFFFFFFFFu);

    // Not a hexadecimal number: nothing is stored.
    for (const char* junk : {"(Bin)", "(Bin)zz", "(Bin)$ff", "(Bin)-1", "(Bin)+1", "(Bin)100000000", "(Bin)f f"}) {
        SCOPED_TRACE(junk);
        EXPECT_EQ(ParseRegistryValue(junk, false), std::nullopt);
    }
}

TEST(RegistryValue, UntaggedValueIsStoredWhole) {
    auto d = ParseRegistryValue("C:\\Program Files\\Kelvo", false);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->kind, RegistryKind::String);
    EXPECT_EQ(d->text, "C:\\Program Files\\Kelvo");
    // Tags compare exactly: another letter case is no tag.
    d = ParseRegistryValue("(str)abc", false);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->kind, RegistryKind::String);
    EXPECT_EQ(d->text, "(str)abc");
    d = ParseRegistryValue("(INT)5", false);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->kind, RegistryKind::String);
    EXPECT_EQ(d->text, "(INT)5");
    d = ParseRegistryValue("ab", false);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->text, "ab");
}

TEST(RegistryValue, DelimiterFlagDropsOneTrailingBackslash) {
    auto d = ParseRegistryValue("(Str)C:\\Kelvo\\", true);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->text, "C:\\Kelvo");
    d = ParseRegistryValue("(Str)C:\\Kelvo\\\\", true);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->text, "C:\\Kelvo\\");
    d = ParseRegistryValue("(Exp)C:\\表", true);  // trail byte 0x5C is no backslash
    ASSERT_TRUE(d);
    EXPECT_EQ(d->text, "C:\\表");
    d = ParseRegistryValue("(Str)C:\\Kelvo\\", false);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->text, "C:\\Kelvo\\");
}

using RegistryValueMacros = MacroTest;

TEST_F(RegistryValueMacros, PddGivesTheInstallFolderWithoutItsBackslash) {
    SetMacro("(App)", "C:\\Program Files\\Kelvo\\");
    for (const char* raw : {"(Str)(App)(Pdd)", "(Str)(App)(pdd)", "(Pdd)(Str)(App)"}) {
        SCOPED_TRACE(raw);
        std::string value = raw;
        const bool flag = TakeNoDelimiterMark(value);
        EXPECT_TRUE(flag);
        auto d = ParseRegistryValue(ExpandFolderMacros(value), flag);
        ASSERT_TRUE(d);
        EXPECT_EQ(d->kind, RegistryKind::String);
        EXPECT_EQ(d->text, "C:\\Program Files\\Kelvo");
    }
    std::string value = "(Str)(App)";
    const bool flag = TakeNoDelimiterMark(value);
    auto d = ParseRegistryValue(ExpandFolderMacros(value), flag);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->text, "C:\\Program Files\\Kelvo\\");
}

// ---- [Relate] ----

TEST(AssociationEntry, DescriptionDefaultsToNamePlusFile) {
    EXPECT_EQ(ParseAssociation("kvd", "open,C:\\K\\kv.exe").description, "kvd File");
    EXPECT_EQ(ParseAssociation("kvd,Kelvo Data", "open,C:\\K\\kv.exe").description, "Kelvo Data");
    const Association a = ParseAssociation("kvd,", "open,C:\\K\\kv.exe");
    EXPECT_EQ(a.extension, "kvd");
    EXPECT_EQ(a.description, "kvd, File");  // the whole Name<n> text
    EXPECT_EQ(a.ClassName(), "kvd_auto_file");
}

TEST(AssociationEntry, QuotedProgramWithSpaceAndBothArguments) {
    const Association a = ParseAssociation("kvd,Kelvo Data", "open,C:\\Program Files\\Kelvo\\kv.exe,/open,%1,1");
    EXPECT_EQ(a.extension, "kvd");
    EXPECT_EQ(a.verb, "open");
    EXPECT_EQ(a.program, "C:\\Program Files\\Kelvo\\kv.exe");
    EXPECT_EQ(a.command, "\"C:\\Program Files\\Kelvo\\kv.exe\" /open %1");
    EXPECT_EQ(a.icon, "C:\\Program Files\\Kelvo\\kv.exe,1");  // without quotes
}

TEST(AssociationEntry, ArgumentRules) {
    // Only argument-2.
    EXPECT_EQ(ParseAssociation("kvd", "open,C:\\K\\kv.exe,,%1,0").command, "C:\\K\\kv.exe %1");
    // Argument-1 without argument-2: both are still joined by a space.
    EXPECT_EQ(ParseAssociation("kvd", "open,C:\\K\\kv.exe,/p,,0").command, "C:\\K\\kv.exe /p ");
    // Neither.
    const Association a = ParseAssociation("kvd", "print,C:\\K\\kv.exe");
    EXPECT_EQ(a.verb, "print");
    EXPECT_EQ(a.command, "C:\\K\\kv.exe");
    EXPECT_EQ(a.icon, "C:\\K\\kv.exe,");
}

TEST(AssociationEntry, EmptyProgramStillGivesAnAssociation) {
    const Association a = ParseAssociation("kvd", "open,,,%1,0");
    EXPECT_EQ(a.program, "");
    EXPECT_EQ(a.command, " %1");
    EXPECT_EQ(a.icon, ",0");
    EXPECT_EQ(AssociationQuestion(a), "拡張子 *.kvd を\r\n\r\nに関連付けします。よろしいですか？");
}

TEST(AssociationEntry, Question) {
    const Association a = ParseAssociation("kvd", "open,C:\\K\\kv.exe");
    EXPECT_EQ(AssociationQuestion(a), "拡張子 *.kvd を\r\nC:\\K\\kv.exe\r\nに関連付けします。よろしいですか？");
}

TEST(UninstallEntry, CommandQuotesTheLogPathAndAProgramPathWithSpaces) {
    EXPECT_EQ(UninstallCommand("C:\\WINDOWS\\UNKELVO.EXE", "C:\\Program Files\\Kelvo\\UNSETUP.INI"),
              "C:\\WINDOWS\\UNKELVO.EXE \"C:\\Program Files\\Kelvo\\UNSETUP.INI\"");
    EXPECT_EQ(UninstallCommand("C:\\My Windows\\UNKELVO.EXE", "C:\\Kelvo\\UNSETUP.INI"),
              "\"C:\\My Windows\\UNKELVO.EXE\" \"C:\\Kelvo\\UNSETUP.INI\"");
}

// ---- [ShortCut] ----

TEST(ShortcutChoices, FirstMatchingRuleWins) {
    EXPECT_EQ(ChoiceForName("(Dsk)\\Kelvo"), ShortcutChoice::Desktop);
    EXPECT_EQ(ChoiceForName("(C_Dsk)\\Kelvo"), ShortcutChoice::Desktop);
    EXPECT_EQ(ChoiceForName("(C_Dsk)"), ShortcutChoice::Desktop);
    EXPECT_EQ(ChoiceForName("(dsk)\\Kelvo"), ShortcutChoice::Desktop);
    EXPECT_EQ(ChoiceForName("(Sta)\\Kelvo\\Run"), ShortcutChoice::StartMenu);
    EXPECT_EQ(ChoiceForName("(C_Sta)\\Kelvo"), ShortcutChoice::StartMenu);
    EXPECT_EQ(ChoiceForName("Default"), ShortcutChoice::StartMenu);
    EXPECT_EQ(ChoiceForName("(Sup)\\Kelvo"), ShortcutChoice::StartUp);
    EXPECT_EQ(ChoiceForName("(C_Sup)\\Kelvo"), ShortcutChoice::StartUp);
    EXPECT_EQ(ChoiceForName("(Sen)\\Kelvo"), ShortcutChoice::SendTo);
    // Earlier rows win.
    EXPECT_EQ(ChoiceForName("(Sen)\\(Dsk)"), ShortcutChoice::Desktop);
    EXPECT_EQ(ChoiceForName("(Sup)\\(Sta)"), ShortcutChoice::StartMenu);
    EXPECT_EQ(ChoiceForName("(Sen)\\(Sup)"), ShortcutChoice::StartUp);
}

TEST(ShortcutChoices, BareNamesAndOtherMacrosAreAlwaysMade) {
    EXPECT_EQ(ChoiceForName("Kelvo\\Run"), ShortcutChoice::Always);
    EXPECT_EQ(ChoiceForName("(Smn)\\Kelvo"), ShortcutChoice::Always);
    EXPECT_EQ(ChoiceForName("(App)Kelvo"), ShortcutChoice::Always);
    // "Default" counts only exactly.
    EXPECT_EQ(ChoiceForName("default"), ShortcutChoice::Always);
    EXPECT_EQ(ChoiceForName("DEFAULT"), ShortcutChoice::Always);
    EXPECT_EQ(ChoiceForName("Default2"), ShortcutChoice::Always);
}

class ShortcutParsing : public MacroTest {
protected:
    void SetUp() override {
        SetMacro("(App)", "C:\\Kelvo\\");
        SetMacro("(Sta)", "C:\\Start\\Programs\\");
        SetMacro("(Dsk)", "C:\\Desk\\");
        SetMacro("(C_Dsk)", "C:\\All\\Desk\\");
    }
};

TEST_F(ShortcutParsing, DefaultIsTargetNameInStartMenu) {
    for (const char* name : {"Default", ""}) {
        SCOPED_TRACE(name);
        const ShortcutEntry e = ParseShortcutEntry("(App)kv.exe", name);
        EXPECT_EQ(e.target, "C:\\Kelvo\\kv.exe");
        EXPECT_EQ(e.arguments, "");
        EXPECT_EQ(e.link, "C:\\Start\\Programs\\kv.exe");
        EXPECT_EQ(e.workingFolder, "");
    }
    // Arguments do not become part of the name.
    const ShortcutEntry e = ParseShortcutEntry("(App)kv.exe,/min", "Default");
    EXPECT_EQ(e.target, "C:\\Kelvo\\kv.exe");
    EXPECT_EQ(e.arguments, "/min");
    EXPECT_EQ(e.link, "C:\\Start\\Programs\\kv.exe");
}

TEST_F(ShortcutParsing, BareRelativeNamesGoToStartMenu) {
    ShortcutEntry e = ParseShortcutEntry("(App)kv.exe", "Kelvo\\Run");
    EXPECT_EQ(e.link, "C:\\Start\\Programs\\Kelvo\\Run");
    e = ParseShortcutEntry("(App)kv.exe", "\\Run");
    EXPECT_EQ(e.link, "C:\\Start\\Programs\\Run");
    e = ParseShortcutEntry("(App)kv.exe", "default");  // not "Default": a bare name
    EXPECT_EQ(e.link, "C:\\Start\\Programs\\default");
}

TEST_F(ShortcutParsing, WorkingFolderAndArgumentsFields) {
    ShortcutEntry e = ParseShortcutEntry("(App)kv.exe,/min /x", "(Dsk)\\Kelvo,(App)Data");
    EXPECT_EQ(e.target, "C:\\Kelvo\\kv.exe");
    EXPECT_EQ(e.arguments, "/min /x");
    EXPECT_EQ(e.link, "C:\\Desk\\Kelvo");
    EXPECT_EQ(e.workingFolder, "C:\\Kelvo\\Data");

    e = ParseShortcutEntry("(App)kv.exe", "Kelvo\\Run,C:\\Work");
    EXPECT_EQ(e.link, "C:\\Start\\Programs\\Kelvo\\Run");
    EXPECT_EQ(e.workingFolder, "C:\\Work");

    e = ParseShortcutEntry("(App)kv.exe", "(C_Dsk)\\Kelvo.lnk");
    EXPECT_EQ(e.link, "C:\\All\\Desk\\Kelvo.lnk");
    EXPECT_EQ(e.workingFolder, "");
}

TEST_F(ShortcutParsing, EntryText) {
    ShortcutEntry e;
    e.target = "C:\\Kelvo\\kv.exe";
    e.link = "\\Kelvo";
    EXPECT_EQ(ShortcutEntryText(e), "【作成元】C:\\Kelvo\\kv.exe\r\n【作成先】Kelvo\r\n");
}

TEST(ShortcutLinkName, NoSecondLnkInAnyCase) {
    EXPECT_EQ(LinkFileName("C:\\Desk\\Kelvo"), "C:\\Desk\\Kelvo.lnk");
    EXPECT_EQ(LinkFileName("C:\\Desk\\Kelvo.lnk"), "C:\\Desk\\Kelvo.lnk");
    EXPECT_EQ(LinkFileName("C:\\Desk\\Kelvo.LNK"), "C:\\Desk\\Kelvo.LNK");
    EXPECT_EQ(LinkFileName("C:\\Desk\\Kelvo.Lnk"), "C:\\Desk\\Kelvo.Lnk");
    EXPECT_EQ(LinkFileName("C:\\Start\\kv.exe"), "C:\\Start\\kv.exe.lnk");
}

// ---- [ExecuteFile] and the final page ----

TEST(ExecuteEntryParsing, FieldsOnlyWithAComma) {
    ExecuteEntry e = ParseExecuteEntry("C:\\Kelvo\\read me.txt");
    EXPECT_EQ(e.program, "C:\\Kelvo\\read me.txt");
    EXPECT_EQ(e.parameters, "");
    EXPECT_EQ(e.method, "");

    e = ParseExecuteEntry("C:\\Kelvo\\kv.exe,/first");
    EXPECT_EQ(e.program, "C:\\Kelvo\\kv.exe");
    EXPECT_EQ(e.parameters, "/first");
    EXPECT_FALSE(e.ByCreateProcess());

    e = ParseExecuteEntry("C:\\Kelvo\\kv.exe,,CreateProcess");
    EXPECT_EQ(e.program, "C:\\Kelvo\\kv.exe");
    EXPECT_EQ(e.parameters, "");
    EXPECT_EQ(e.method, "CreateProcess");
    EXPECT_TRUE(e.ByCreateProcess());

    EXPECT_FALSE(ParseExecuteEntry("C:\\k.exe,/a,createprocess").ByCreateProcess());
    EXPECT_EQ(ParseExecuteEntry("C:\\k.exe,/a,CreateProcess,more").method, "CreateProcess");
    EXPECT_EQ(ParseExecuteEntry("").program, "");
    EXPECT_STREQ(kRebootMark, "WINDOWS_REBOOT");
}

namespace {

const std::string kS = "インストール";
const std::string kDone = "インストールを完了しました。";
const std::string kReboot =
    "　インストールを完了するには、Windowsを再起動する必要があります。\r\n\r\n"
    "　Windowsの再起動を選択した場合、現在稼動している他のプログラムは強制的に終了され、"
    "かつ、終了後プログラムは実行されませんので、十分にご注意ください。";
const std::string kRuns = "\r\n\r\n【インストーラ終了後、以下のプログラムが実行されます。】\r\n\r\n";

}  // namespace

TEST(FinalPageTexts, NoRebootNoProgram) {
    const FinalPage p = BuildFinalPage(kS, false, ExecuteEntry{});
    EXPECT_EQ(p.message, kDone);
    EXPECT_EQ(p.choice1, "インストーラを終了します。(&Y)");
    EXPECT_EQ(p.choice2, "");
}

TEST(FinalPageTexts, NoRebootWithProgramByShell) {
    const FinalPage p = BuildFinalPage(kS, false, ParseExecuteEntry("C:\\Kelvo\\kv.exe,/first"));
    EXPECT_EQ(p.message, kDone + kRuns + "(ShellExecute APIを利用します。)\r\nC:\\Kelvo\\kv.exe /first");
    EXPECT_EQ(p.choice1, "インストーラを終了して、プログラムを実行します。(&Y)");
    EXPECT_EQ(p.choice2, "");
}

TEST(FinalPageTexts, NoRebootWithProgramByCreateProcess) {
    const FinalPage p = BuildFinalPage(kS, false, ParseExecuteEntry("C:\\Kelvo\\kv.exe,,CreateProcess"));
    // Program + " " + parameters even when there are none.
    EXPECT_EQ(p.message, kDone + kRuns + "(CreateProcess APIを利用します。)\r\nC:\\Kelvo\\kv.exe ");
    EXPECT_EQ(p.choice1, "インストーラを終了して、プログラムを実行します。(&Y)");
    EXPECT_EQ(p.choice2, "");
}

TEST(FinalPageTexts, MethodInOtherCaseUsesTheShell) {
    const FinalPage p = BuildFinalPage(kS, false, ParseExecuteEntry("C:\\k.exe,/a,createProcess"));
    EXPECT_EQ(p.message, kDone + kRuns + "(ShellExecute APIを利用します。)\r\nC:\\k.exe /a");
}

TEST(FinalPageTexts, RebootNoProgram) {
    const FinalPage p = BuildFinalPage(kS, true, ExecuteEntry{});
    EXPECT_EQ(p.message, kReboot);
    EXPECT_EQ(p.choice1, "はい、Windowsを再起動します。(&Y)");
    EXPECT_EQ(p.choice2, "いいえ、Windowsは再起動せずに、インストーラーを終了します。(&N)");
}

TEST(FinalPageTexts, RebootWithProgram) {
    FinalPage p = BuildFinalPage(kS, true, ParseExecuteEntry("C:\\Kelvo\\kv.exe"));
    EXPECT_EQ(p.message, kReboot + kRuns + "(ShellExecute APIを利用します。)\r\nC:\\Kelvo\\kv.exe ");
    EXPECT_EQ(p.choice1, "はい、Windowsを再起動します。(&Y)");
    EXPECT_EQ(p.choice2, "いいえ、Windowsは再起動せずに、プログラムを実行します。(&N)");

    p = BuildFinalPage(kS, true, ParseExecuteEntry("C:\\Kelvo\\kv.exe,-x,CreateProcess"));
    EXPECT_EQ(p.message, kReboot + kRuns + "(CreateProcess APIを利用します。)\r\nC:\\Kelvo\\kv.exe -x");
    EXPECT_EQ(p.choice2, "いいえ、Windowsは再起動せずに、プログラムを実行します。(&N)");
}

TEST(FinalPageTexts, ActionWordIsSpliced) {
    const FinalPage p = BuildFinalPage("セットアップ", true, ExecuteEntry{});
    EXPECT_EQ(p.message.substr(0, std::string("　セットアップを完了するには").size()), "　セットアップを完了するには");
    EXPECT_EQ(BuildFinalPage("セットアップ", false, ExecuteEntry{}).message, "セットアップを完了しました。");
}

TEST(CompletionTexts, WithAndWithoutSetupOnly) {
    EXPECT_EQ(
        CompletionText("インストール", "アンインストール", false),
        "\r\n【処理完了】\r\n"
        "　プログラムのアンインストールは、「プログラム(アプリケーション)の追加と削除」から行うことができます。\r\n"
        "　「次へ(N)」をクリックして、インストールを完了してください。\r\n");
    EXPECT_EQ(CompletionText("インストール", "アンインストール", true),
              "\r\n【処理完了】\r\n"
              "　「次へ(N)」をクリックして、インストールを完了してください。\r\n");
}

// ---- The run's counters ----

TEST(InstallCounters, CountedSize) {
    bool sizeProgress = true;
    EXPECT_EQ(CountedSize(0, sizeProgress), 1);
    EXPECT_TRUE(sizeProgress);
    EXPECT_EQ(CountedSize(12345, sizeProgress), 12345);
    EXPECT_EQ(CountedSize(5 * kGiB, sizeProgress), 5 * kGiB);
    EXPECT_TRUE(sizeProgress);
    EXPECT_EQ(CountedSize(-1, sizeProgress), 0);
    EXPECT_FALSE(sizeProgress);
    // Once off it stays off.
    EXPECT_EQ(CountedSize(7, sizeProgress), 7);
    EXPECT_FALSE(sizeProgress);
}

TEST(InstallCounters, ProgressInBytesAboveTwoAndFourGiB) {
    InstallState s;
    s.entryCount = 4;
    s.totalBytes = 3 * kGiB;
    s.doneBytes = 3 * kGiB / 2;
    EXPECT_EQ(CopyProgressPercent(s, 1), 50);  // bytes decide, not the entry number
    s.totalBytes = 5 * kGiB;
    s.doneBytes = kGiB;
    EXPECT_EQ(CopyProgressPercent(s, 3), 20);
    s.doneBytes = 5 * kGiB;
    EXPECT_EQ(CopyProgressPercent(s, 1), 100);
    s.totalBytes = 6 * kGiB;
    s.doneBytes = 2 * kGiB;
    EXPECT_EQ(CopyProgressPercent(s, 1), 33);
    s.doneBytes = 4 * kGiB;
    EXPECT_EQ(CopyProgressPercent(s, 1), 67);  // rounded, not cut
    s.totalBytes = 4 * kGiB + 1;
    s.doneBytes = 2 * kGiB;
    EXPECT_EQ(CopyProgressPercent(s, 1), 50);
    s.totalBytes = 1000;
    s.doneBytes = 4;
    EXPECT_EQ(CopyProgressPercent(s, 1), 0);
    s.doneBytes = 6;
    EXPECT_EQ(CopyProgressPercent(s, 1), 1);
}

TEST(InstallCounters, ProgressInEntriesIsIntegerDivision) {
    InstallState s;
    s.sizeProgress = false;
    s.totalBytes = 5 * kGiB;
    s.doneBytes = 5 * kGiB;
    s.entryCount = 3;
    EXPECT_EQ(CopyProgressPercent(s, 1), 33);
    EXPECT_EQ(CopyProgressPercent(s, 2), 66);
    EXPECT_EQ(CopyProgressPercent(s, 3), 100);
    s.entryCount = 7;
    EXPECT_EQ(CopyProgressPercent(s, 6), 85);
}

TEST(InstallCounters, EqualSpaceIsNotEnough) {
    EXPECT_TRUE(EnoughSpace(101, 100));
    EXPECT_FALSE(EnoughSpace(100, 100));
    EXPECT_FALSE(EnoughSpace(99, 100));
    EXPECT_TRUE(EnoughSpace(1, 0));
    EXPECT_FALSE(EnoughSpace(0, 0));
    EXPECT_FALSE(EnoughSpace(-1, 0));  // a failed query
    EXPECT_TRUE(EnoughSpace(5 * kGiB, 4 * kGiB));
    EXPECT_FALSE(EnoughSpace(3 * kGiB, 3 * kGiB));
    EXPECT_FALSE(EnoughSpace(3 * kGiB, 3 * kGiB + 1));
    EXPECT_TRUE(EnoughSpace(3 * kGiB + 1, 3 * kGiB));
}

TEST(InstallCounters, LowSpaceQuestions) {
    EXPECT_EQ(LowSpaceQuestion(kS, true, 100),
              "ディスクの空き容量が不足しているため、エラーになる可能性があります。\r\n"
              "このままインストールを続行しますか？");
    EXPECT_EQ(LowSpaceQuestion(kS, false, 1234),
              "ディスクの空き容量取得関数が失敗しました。\r\n"
              "インストールに必要なディスク容量は 1234Byteです。\r\n"
              "空き容量があるようであれば、インストールを続行してください。\r\n\r\n"
              "インストールを続行しますか？");
    // Above 2^31 and 2^32 the total is printed in full.
    const std::string q = LowSpaceQuestion(kS, false, 3000000000LL);
    EXPECT_NE(q.find("容量は 3000000000Byteです。"), std::string::npos) << q;
    EXPECT_NE(LowSpaceQuestion(kS, false, 5 * kGiB).find("容量は 5368709120Byteです。"), std::string::npos);
}
