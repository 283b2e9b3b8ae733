#pragma once
// A journal file that a run appends to as it goes (engine/journal.h gives its lines).
#include <string>

#include "engine/journal.h"
#include "owned_win.h"

class JournalFile {
public:
    // Opens the file, made when missing, for appending after its whole lines (a line cut
    // short is dropped); what those lines hold comes back in text. 0 or the system's error.
    [[nodiscard]] unsigned long Open(const std::string& path, std::string& text);
    // Appends one line (an entry not written is the only loss: a short write is taken back).
    void Append(JournalKind kind, const std::string& value);
    // Drops every line: the file was another's.
    void Clear();
    // At a step's end: what is written reaches the disk before the next step's changes.
    void Flush();
    // The run finished what the journal guards: closed and deleted.
    void Remove();
    bool IsOpen() const { return file_.valid(); }

private:
    OwnedHandle file_;
    std::string path_;
    unsigned long end_ = 0;  // the end of the last whole line
};
