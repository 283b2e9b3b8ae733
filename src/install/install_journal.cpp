#include "install/install_journal.h"

#include "engine/code_page.h"
#include "engine/strings.h"
#include "install/copy_entry.h"

bool IsJournalOf(const std::vector<JournalRecord>& records, const std::string& installFolder) {
    return !records.empty() && records.front().kind == static_cast<char>(InstallChange::InstallFolder) &&
           SameText(records.front().value, installFolder);
}

TakenOverJournal TakeOverJournal(const std::vector<JournalRecord>& records, UninstallLists& lists,
                                 RestoreRelateSlots& slots) {
    TakenOverJournal taken;
    for (const JournalRecord& record : records) {
        if (record.value.empty()) continue;
        switch (static_cast<InstallChange>(record.kind)) {
            case InstallChange::Folder: lists.folders.carried.push_back(record.value); break;
            case InstallChange::Shortcut: lists.shortcuts.carried.push_back(record.value); break;
            case InstallChange::RegistryKey: lists.registryKeys.carried.push_back(record.value); break;
            case InstallChange::ExtraFile: lists.extraFiles.carried.push_back(record.value); break;
            case InstallChange::Relation:
                // The first class recorded for an extension is the one from before any attempt.
                if (!slots.Holds(GetField(record.value, ",", 1))) slots.LoadPrevious(record.value);
                break;
            case InstallChange::InstallFolder: break;
            case InstallChange::File:
                lists.files.carried.push_back(record.value);
                if (HasOption(GetField(record.value, ",", 2), "/S"))
                    taken.counted.insert(MapString(GetField(record.value, ",", 1), kMapUpperCase));
                break;
        }
    }
    return taken;
}
