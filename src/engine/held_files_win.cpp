#include "engine/held_files_win.h"

#include <windows.h>

#include <vector>

#include "engine/file_copy_win.h"
#include "engine/files_win.h"
#include "system_files_win.h"

namespace {

std::vector<OwnedHandle>& HeldFiles() {
    static std::vector<OwnedHandle> held;
    return held;
}

}  // namespace

unsigned long CopyAndHold(const std::string& source, const std::string& copy) {
    if (const unsigned long error = CopyOneFile(source, copy)) return error;
    OwnedHandle file(CreateFile932(copy.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return GetLastError();
    // Held from here on, so what is compared now stays what is read later.
    if (ReadWholeFile(copy) != ReadWholeFile(source)) return ERROR_FILE_CORRUPT;
    HoldFile(std::move(file));
    return 0;
}

void HoldFile(OwnedHandle file) { HeldFiles().push_back(std::move(file)); }

void ReleaseHeldFiles() { HeldFiles().clear(); }
