#pragma once
// A run's journal: one line per change it is about to make, "K=value" with a letter for the
// kind, so that the next run knows what one cut short may have left.
#include <string>
#include <vector>

// What a line records: the letter before its "=". The removal writes only SharedCount.
enum class JournalKind : char {
    InstallFolder = 'P',  // the install run's first line: whose journal this is
    Folder = 'D',         // [DeleteFolder]
    File = 'F',           // [DeleteFile], path + options; "/S" once its count was raised
    Shortcut = 'L',       // [DeleteShortCut]
    RegistryKey = 'K',    // [DeleteRegistry]
    ExtraFile = 'A',      // [AddDeleteFile]
    Relation = 'E',       // [RestoreRelate], "extension,previous class"
    SharedCount = 'S',    // a shared file whose count the removal lowered
};

struct JournalRecord {
    JournalKind kind;  // any letter another program wrote, too
    std::string value;
};

std::string JournalLine(JournalKind kind, const std::string& value);
// The records of the whole lines; a last line cut short by a crash is none.
std::vector<JournalRecord> ReadJournalLines(const std::string& text);
// The length of the text up to the end of its last whole line.
std::size_t WholeLinesLength(const std::string& text);

// Where the install run keeps its journal: (Win) + "KS" + six hex digits of the install
// folder's upper-case name + ".JNL" (8.3 on every system), so that an aborted run leaves the
// install folder as it was. The removal deletes it with the product.
std::string InstallJournalPath(const std::string& windowsFolder, const std::string& installFolder);
