#include "install/install_journal.h"

#include "engine/code_page.h"
#include "engine/strings.h"
#include "install/copy_entry.h"

bool IsJournalOf(const std::vector<JournalRecord>& records, const std::string& installFolder) {
    return !records.empty() && records.front().kind == JournalKind::InstallFolder &&
           SameText(records.front().value, installFolder);
}

TakenOverJournal TakeOverJournal(const std::vector<JournalRecord>& records, UninstallLists& lists,
                                 RestoreRelateSlots& slots) {
    TakenOverJournal taken;
    for (const JournalRecord& record : records) {
        if (record.value.empty()) continue;
        switch (record.kind) {
            case JournalKind::Folder: lists.folders.carried.push_back(record.value); break;
            case JournalKind::Shortcut: lists.shortcuts.carried.push_back(record.value); break;
            case JournalKind::RegistryKey: lists.registryKeys.carried.push_back(record.value); break;
            case JournalKind::ExtraFile: lists.extraFiles.carried.push_back(record.value); break;
            case JournalKind::Relation:
                // The first class recorded for an extension is the one from before any attempt.
                if (!slots.Holds(GetField(record.value, ",", 1))) slots.LoadPrevious(record.value);
                break;
            case JournalKind::InstallFolder:
            case JournalKind::SharedCount: break;
            case JournalKind::File:
                lists.files.carried.push_back(record.value);
                if (HasOption(GetField(record.value, ",", 2), "/S"))
                    taken.counted.insert(MapString(GetField(record.value, ",", 1), kMapUpperCase));
                break;
        }
    }
    return taken;
}
