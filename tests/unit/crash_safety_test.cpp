// What a run cut short leaves for the next one to read: the journal's lines and what the
// install run takes over from them, the compressed file's own size, a whole program image.
#include <gtest/gtest.h>

#include "engine/journal.h"
#include "install/copy_entry.h"
#include "install/install_journal.h"
#include "install/program_image.h"

TEST(Journal, OnlyWholeWellFormedLinesCount) {
    const std::string text = JournalLine(JournalKind::File, "C:\\App\\A.TXT") + "garbage\r\n" +
                             JournalLine(JournalKind::Folder, "C:\\App\\Sub\\") + "F=C:\\App\\BI";  // cut by the crash
    const std::vector<JournalRecord> records = ReadJournalLines(text);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].kind, JournalKind::File);
    EXPECT_EQ(records[0].value, "C:\\App\\A.TXT");
    EXPECT_EQ(records[1].value, "C:\\App\\Sub\\");
    EXPECT_EQ(WholeLinesLength(text), text.size() - 11);
    EXPECT_EQ(WholeLinesLength("no line end"), 0u);
    EXPECT_TRUE(ReadJournalLines("").empty());
}

TEST(Journal, TakenOverEntriesJoinTheCarriedListsAndRaisedCountsAreNotRaisedAgain) {
    const std::string app = "C:\\Program Files\\App\\";
    std::vector<JournalRecord> records = {{JournalKind::InstallFolder, app},
                                          {JournalKind::Folder, app + "Data\\"},
                                          {JournalKind::File, app + "A.EXE"},
                                          {JournalKind::File, app + "k.dll,/s/R"},
                                          {JournalKind::Shortcut, "C:\\L.lnk"},
                                          {JournalKind::RegistryKey, "(Local)SOFTWARE\\App"},
                                          {JournalKind::ExtraFile, app + "*.LOG"},
                                          {JournalKind::Relation, "abc,oldclass"},
                                          {JournalKind::Relation, "abc,abc_auto_file"},
                                          {JournalKind::File, ""},
                                          {static_cast<JournalKind>('Z'), "unknown"}};
    EXPECT_TRUE(IsJournalOf(records, "c:\\program files\\app\\"));
    EXPECT_FALSE(IsJournalOf(records, "C:\\Other\\"));
    EXPECT_FALSE(IsJournalOf({{JournalKind::File, app}}, app));

    UninstallLists lists;
    RestoreRelateSlots slots;
    const TakenOverJournal taken = TakeOverJournal(records, lists, slots);
    EXPECT_EQ(lists.folders.carried, std::vector<std::string>{app + "Data\\"});
    EXPECT_EQ(lists.files.carried, (std::vector<std::string>{app + "A.EXE", app + "k.dll,/s/R"}));
    EXPECT_EQ(lists.shortcuts.carried, std::vector<std::string>{"C:\\L.lnk"});
    EXPECT_EQ(lists.registryKeys.carried, std::vector<std::string>{"(Local)SOFTWARE\\App"});
    EXPECT_EQ(lists.extraFiles.carried, std::vector<std::string>{app + "*.LOG"});
    EXPECT_TRUE(lists.files.current.empty());
    // The class an association had before the first attempt is the one kept.
    EXPECT_EQ(slots.Slots()[0], "abc,oldclass");
    EXPECT_TRUE(slots.Slots()[1].empty());
    EXPECT_EQ(taken.counted.size(), 1u);
    EXPECT_EQ(taken.counted.count("C:\\PROGRAM FILES\\APP\\K.DLL"), 1u);
}

TEST(Journal, NamedAfterTheInstallFolderInEightPlusThree) {
    const std::string a = InstallJournalPath("C:\\WINDOWS\\", "C:\\App\\");
    EXPECT_EQ(a, InstallJournalPath("C:\\WINDOWS\\", "c:\\app\\"));
    EXPECT_NE(a, InstallJournalPath("C:\\WINDOWS\\", "C:\\App2\\"));
    ASSERT_EQ(a.size(), std::string("C:\\WINDOWS\\KS123456.JNL").size());
    EXPECT_EQ(a.substr(0, 13), "C:\\WINDOWS\\KS");
    EXPECT_EQ(a.substr(a.size() - 4), ".JNL");
}

TEST(CompressedHeader, GivesTheExpandedSizeOnlyForAWholeHeader) {
    const std::string header = std::string("SZDD\x88\xf0\x27\x33", 8) + "A" + "T" + std::string("\x40\x1f\x00\x00", 4);
    EXPECT_EQ(ExpandedSizeInHeader(header + "rest"), 8000);
    EXPECT_EQ(ExpandedSizeInHeader(header.substr(0, 13)), -1);
    EXPECT_EQ(ExpandedSizeInHeader("plain text file, no magic"), -1);
    EXPECT_EQ(ExpandedSizeInHeader(std::string("SZDD\x88\xf0\x27\x33", 8) + "A_" + std::string("\xff\xff\xff\xff", 4)),
              4294967295LL);
}

TEST(CompressedHeader, NamesTheExpandedFileByTheStoredLetter) {
    const std::string magic("SZDD\x88\xf0\x27\x33", 8), size("\x40\x1f\x00\x00", 4);
    EXPECT_EQ(ExpandedNameInHeader(magic + "AT" + size, "C:\\Disk\\README.TX_"), "C:\\Disk\\README.TXT");
    // No letter stored, no "_" at the end, or no compressed file: the name as it is.
    EXPECT_EQ(ExpandedNameInHeader(magic + "A" + std::string(1, '\0') + size, "README.TX_"), "README.TX_");
    EXPECT_EQ(ExpandedNameInHeader(magic + "AT" + size, "README.TXT"), "README.TXT");
    EXPECT_EQ(ExpandedNameInHeader("plain text", "README.TX_"), "README.TX_");
    EXPECT_EQ(ExpandedNameInHeader((magic + "AT" + size).substr(0, 13), "README.TX_"), "README.TX_");
    // A "_" that is the second byte of a double-byte character is no placeholder.
    EXPECT_EQ(ExpandedNameInHeader(magic + "AT" + size, "\x83\x5f"), "\x83\x5f");
}

namespace {

// A minimal 32-bit image: headers, one section of 0x200 bytes at 0x200, optionally signed.
std::string Image(std::uint32_t certificateLength) {
    std::string bytes(0x400, '\0');
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(v >> (8 * i));
    };
    bytes.replace(0, 2, "MZ");
    put32(0x3c, 0x40);
    bytes.replace(0x40, 4, std::string("PE\0\0", 4));
    bytes[0x46] = 1;           // sections
    bytes[0x54] = char(0xe0);  // optional header size
    bytes[0x58] = 0x0b, bytes[0x59] = 0x01;
    const std::size_t section = 0x58 + 0xe0;
    put32(section + 16, 0x200);
    put32(section + 20, 0x200);
    bytes.replace(0x300, 10, "KELVOSETUP");
    if (certificateLength) {
        put32(0x58 + 96 + 32, 0x400);
        put32(0x58 + 96 + 36, certificateLength);
        bytes += std::string(certificateLength, 'c');
    }
    return bytes;
}

}  // namespace

TEST(ProgramImage, AWholeProgramOfOursAndNoCutOrForeignOne) {
    EXPECT_TRUE(IsWholeSetupProgram(Image(0)));
    EXPECT_TRUE(IsWholeSetupProgram(Image(0x80)));
    EXPECT_FALSE(IsWholeSetupProgram(Image(0).substr(0, 0x3ff)));     // the section cut
    EXPECT_FALSE(IsWholeSetupProgram(Image(0x80).substr(0, 0x47f)));  // the signature cut
    EXPECT_FALSE(IsWholeSetupProgram(Image(0).substr(0, 0x50)));      // the headers cut
    std::string foreign = Image(0);
    foreign.replace(0x300, 10, "OTHERSETUP");
    EXPECT_FALSE(IsWholeSetupProgram(foreign));
    EXPECT_FALSE(IsWholeSetupProgram(""));
}
