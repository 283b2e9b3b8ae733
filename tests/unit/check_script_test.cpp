// The checker's reading of a script as the system reads it, and of its bytes.
#include <gtest/gtest.h>

#include "check/copy_sources.h"
#include "check/findings.h"
#include "check/script_encoding.h"
#include "check/script_file.h"
#include "check/script_names.h"

namespace {

std::string Lines(const Findings& findings) { return FindingsText(findings, "SETUP.INI"); }

}  // namespace

TEST(CheckScriptFile, ReadsKeysAsTheProfileFunctionsDo) {
    const ScriptFile script(
        "Lost=before any section\r\n"
        "[Title]\r\n"
        "  Setup =  \"quoted title\"  \r\n"
        "; a comment\r\n"
        "setup=second one is never read\n"
        "[CopyFile]\rFile1=(App)A.TXT\r"
        "File2=\r\n"
        "File3=(App)C.TXT\r\n"
        "[title]\r\n"
        "Program=from a repeated section\r\n");
    ASSERT_NE(script.Find("TITLE", "setup"), nullptr);
    EXPECT_EQ(script.Value("title", "SETUP"), "quoted title");
    EXPECT_EQ(script.Find("Title", "Setup")->line, 3);
    EXPECT_EQ(script.Find("CopyFile", "File1")->line, 7);  // a lone CR ends a line too
    EXPECT_EQ(script.Value("Title", "Program"), "");       // only the first [Title] counts
    EXPECT_EQ(script.Value("Title", "Lost"), "");
    EXPECT_EQ(script.SectionLine("copyfile"), 6);
    EXPECT_EQ(script.SectionLine("Missing"), 0);
    // The list ends at the empty File2, as the install run reads it.
    const auto files = NumberedKeys(script, "CopyFile", "File");
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0]->value, "(App)A.TXT");
}

TEST(CheckScriptFile, AnswersTheWizardForAFreshMachine) {
    const ScriptFile script("[DefaultFolder]\r\nFolder=\r\n");
    const ScriptOnlySources sources(script, kScriptName);
    // A key that is there but empty reads empty, not as the default, as on the system.
    EXPECT_EQ(sources.Ini("DefaultFolder", "Folder", "(Prg)\\", kScriptName), "");
    EXPECT_EQ(sources.Ini("DefaultFolder", "Other", "default", kScriptName), "default");
    EXPECT_EQ(sources.Ini("KELVO", "Folder", "none", "C:\\WINDOWS\\KELVO98.INI"), "none");
}

TEST(CheckEncoding, ShiftJisWithCrLfIsClean) {
    Findings findings;
    // A trail byte 0x5C (表) and half-width katakana are ordinary Shift-JIS.
    EXPECT_TRUE(CheckScriptEncoding("[Title]\r\nSetup=\x95\x5C\xB1\xB2\r\n", findings));
    EXPECT_EQ(Lines(findings), "");
}

TEST(CheckEncoding, FindsWhatAnEditorDidToTheScript) {
    Findings utf8;
    // UTF-8 katakana happen to step as valid Shift-JIS; they are still UTF-8.
    EXPECT_TRUE(CheckScriptEncoding("[Title]\r\nSetup=\xE3\x82\xB5\xE3\x83\xB3\r\n", utf8));
    EXPECT_EQ(Lines(utf8),
              "SETUP.INI:2: error: the script is saved as UTF-8, not Shift-JIS; every Japanese text "
              "shows garbled\n");

    Findings utf16;
    EXPECT_FALSE(CheckScriptEncoding(std::string("[\0T\0", 4), utf16));  // no order mark, still UTF-16
    EXPECT_TRUE(utf16.HasErrors());

    Findings stray;
    EXPECT_TRUE(CheckScriptEncoding("[Title]\r\nSetup=\x81\r\n", stray));  // a lead byte without its trail
    EXPECT_EQ(Lines(stray), "SETUP.INI:2: error: bytes that are not Shift-JIS text\n");

    Findings ends;
    EXPECT_TRUE(CheckScriptEncoding("[A]\nB=1\r\n", ends));
    EXPECT_FALSE(ends.HasErrors());
    EXPECT_TRUE(ends.HasWarnings());
}

TEST(CheckNames, HintsOnlyAtPlausibleMisspellings) {
    const std::vector<std::string> sections = {"CopyFile", "MakeFolder", "Registry"};
    EXPECT_EQ(NearestName("CopyFlie", sections), "CopyFile");  // two letters swapped
    EXPECT_EQ(NearestName("Registy", sections), "Registry");
    EXPECT_EQ(NearestName("Notes", sections), "");
    EXPECT_EQ(NearestName("COPYFILE", sections), "");  // the same name: no hint to give
}

TEST(CheckNames, NumberedKeysAsTheRunsCountThem) {
    EXPECT_EQ(SplitNumberedName("File12").prefix, "File");
    EXPECT_EQ(SplitNumberedName("File12").number, 12);
    EXPECT_EQ(SplitNumberedName("File01").number, 0);  // never reached: the run asks for File1
    const SectionRule* relate = FindSectionRule("relate");
    ASSERT_NE(relate, nullptr);
    EXPECT_TRUE(IsKnownKey(*relate, "name20"));
    EXPECT_FALSE(IsKnownKey(*relate, "Name21"));
    EXPECT_FALSE(IsKnownKey(*FindSectionRule("CopyFile"), "File"));
    EXPECT_EQ(NearestName("File", KeyCandidates(*FindSectionRule("CopyFile"), "File")), "File1");
}

TEST(CheckCompressed, ExpandedNameFromTheHeader) {
    const std::string header(
        "SZDD\x88\xF0\x27\x33"
        "AT\x05\0\0\0",
        14);
    EXPECT_EQ(ExpandedName(header, "manual.tx_"), "MANUAL.TXT");
    std::string noLetter = header;
    noLetter[9] = '\0';
    EXPECT_EQ(ExpandedName(noLetter, "MANUAL.TX_"), "MANUAL.TX_");
    EXPECT_EQ(ExpandedName("plain text, not compressed", "A.TX_"), std::nullopt);
    EXPECT_EQ(ExpandedName(header.substr(0, 10), "A.TX_"), std::nullopt);  // cut short
}

TEST(CheckFindings, LinesInOrderAndJsonEscaped) {
    Findings findings;
    findings.Warning(9, "later");
    findings.Error(2, "path \"C:\\A\"\ttab");
    findings.Error(9, "same line, found second");
    findings.Sort();
    EXPECT_EQ(Lines(findings),
              "SETUP.INI:2: error: path \"C:\\A\"\ttab\nSETUP.INI:9: warning: later\n"
              "SETUP.INI:9: error: same line, found second\n");
    // UTF-8 out: 表 (0x95 0x5C) keeps its trail byte; half-width ｱ; a lead byte without a
    // trail, a byte that begins no character and an unmapped pair stay visible as \xHH.
    EXPECT_EQ(JsonString("a\"b\\c\t\x95\x5C\xB1"), "\"a\\\"b\\\\c\\u0009\xE8\xA1\xA8\xEF\xBD\xB1\"");
    EXPECT_EQ(JsonString("\x80x\xFD\x85\x40\x95"), "\"\\\\x80x\\\\xFD\\\\x85@\\\\x95\"");
    EXPECT_EQ(FindingsJson(Findings(), "SETUP.INI"), "[]\n");
}
