#pragma once
// The install run's journal: each change written ahead of it, taken over by the next run
// into the same folder the way a previous log is. It lives in the Windows folder, named after
// the install folder, so that an aborted or stopped run leaves the install folder as it was.
#include <string>
#include <unordered_set>
#include <vector>

#include "engine/journal.h"
#include "install/uninstall_log.h"

// Whether the records are this install folder's journal (the name's digits can meet another's).
bool IsJournalOf(const std::vector<JournalRecord>& records, const std::string& installFolder);

// What a run cut short recorded: its entries join the carried-over halves of the lists, its
// associations' previous classes the slots, and the shared files whose counts it raised are
// not raised again: the run that takes over is the same installation.
struct TakenOverJournal {
    std::unordered_set<std::string> counted;  // upper-case paths
};
TakenOverJournal TakeOverJournal(const std::vector<JournalRecord>& records, UninstallLists& lists,
                                 RestoreRelateSlots& slots);
