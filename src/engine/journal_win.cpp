#include "engine/journal_win.h"

#include <windows.h>

#include "engine/journal.h"
#include "system_files_win.h"

unsigned long JournalFile::Open(const std::string& path, std::string& text) {
    file_ = OwnedHandle(CreateFile932(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    text.clear();
    if (!file_.valid()) return GetLastError();
    path_ = path;
    char buffer[16384];
    DWORD got = 0;
    while (ReadFile(file_.get(), buffer, sizeof(buffer), &got, nullptr) && got > 0) text.append(buffer, got);
    text.resize(WholeLinesLength(text));
    end_ = static_cast<unsigned long>(text.size());
    SetFilePointer(file_.get(), static_cast<LONG>(end_), nullptr, FILE_BEGIN);
    SetEndOfFile(file_.get());
    return 0;
}

void JournalFile::Append(JournalKind kind, const std::string& value) {
    if (!file_.valid()) return;
    const std::string line = JournalLine(kind, value);
    DWORD put = 0;
    if (WriteFile(file_.get(), line.data(), static_cast<DWORD>(line.size()), &put, nullptr) && put == line.size()) {
        end_ += put;
        return;
    }
    // A full disk took part of the line: it goes again, so that the next line starts clean.
    SetFilePointer(file_.get(), static_cast<LONG>(end_), nullptr, FILE_BEGIN);
    SetEndOfFile(file_.get());
}

void JournalFile::Clear() {
    if (!file_.valid()) return;
    end_ = 0;
    SetFilePointer(file_.get(), 0, nullptr, FILE_BEGIN);
    SetEndOfFile(file_.get());
}

void JournalFile::Flush() {
    if (file_.valid()) FlushFileBuffers(file_.get());
}

void JournalFile::Remove() {
    if (!file_.valid()) return;
    file_.reset();
    DeleteFile932(path_.c_str());
}
