// A journal left by a run cut short, read by the next run: any bytes at all, since the crash
// may have cut a line anywhere and another program may have written the file.
// Property: only whole lines become records; written out again they read back the same;
// and what the install run takes over is exactly the file and folder lines it holds.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/journal.h"
#include "fuzz_support.h"
#include "install/install_journal.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::size_t whole = WholeLinesLength(text);
    FUZZ_CHECK(whole <= text.size());
    FUZZ_CHECK(whole == 0 || text.compare(whole - 2, 2, "\r\n") == 0);
    const std::vector<JournalRecord> records = ReadJournalLines(text);
    std::string again;
    std::size_t files = 0, folders = 0;
    for (const JournalRecord& record : records) {
        FUZZ_CHECK(record.value.find("\r\n") == std::string::npos);
        again += JournalLine(record.kind, record.value);
        files += record.kind == JournalKind::File && !record.value.empty();
        folders += record.kind == JournalKind::Folder && !record.value.empty();
    }
    const std::vector<JournalRecord> reread = ReadJournalLines(again);
    FUZZ_CHECK(reread.size() == records.size());
    for (std::size_t i = 0; i < reread.size(); ++i)
        FUZZ_CHECK(reread[i].kind == records[i].kind && reread[i].value == records[i].value);
    // A record that ends the text without its line end was cut by the crash: never read.
    FUZZ_CHECK(ReadJournalLines(text.substr(0, whole)).size() == records.size());

    UninstallLists lists;
    RestoreRelateSlots slots;
    const TakenOverJournal taken = TakeOverJournal(records, lists, slots);
    FUZZ_CHECK(lists.files.carried.size() == files);
    FUZZ_CHECK(lists.folders.carried.size() == folders);
    FUZZ_CHECK(taken.counted.size() <= files);
    return 0;
}
