#pragma once
// The install run's journal, UNSETUP.JNL beside the log: each change written ahead of it,
// taken over by the next run into the same folder the way a previous log is.
#include <string>
#include <unordered_set>
#include <vector>

#include "engine/journal.h"
#include "install/uninstall_log.h"

enum class InstallChange : char {
    Folder = 'D',       // [DeleteFolder]
    File = 'F',         // [DeleteFile], path + options; "/S" once its count was raised
    Shortcut = 'L',     // [DeleteShortCut]
    RegistryKey = 'K',  // [DeleteRegistry]
    ExtraFile = 'A',    // [AddDeleteFile]
    Relation = 'E',     // [RestoreRelate], "extension,previous class"
};

std::string InstallJournalPath(const std::string& installFolder);

// What a run cut short recorded: its entries join the carried-over halves of the lists, its
// associations' previous classes the slots, and the shared files whose counts it raised are
// not raised again: the run that takes over is the same installation.
struct TakenOverJournal {
    std::unordered_set<std::string> counted;  // upper-case paths
};
TakenOverJournal TakeOverJournal(const std::vector<JournalRecord>& records, UninstallLists& lists,
                                 RestoreRelateSlots& slots);
