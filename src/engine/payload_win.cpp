#include "engine/payload_win.h"

#include <windows.h>

#include <vector>

#include "engine/files_win.h"
#include "engine/held_files_win.h"
#include "engine/system_win.h"
#include "owned_win.h"
#include "engine/code_page.h"
#include "engine/environment.h"
#include "engine/paths.h"
#include "engine/strings.h"
#include "system_files_win.h"

namespace {

// The program's own file.
class FileSource : public ByteSource {
public:
    explicit FileSource(const std::string& path)
        : file_(CreateFile932(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr)) {
        DWORD high = 0;
        const DWORD low = file_.valid() ? GetFileSize(file_.get(), &high) : INVALID_FILE_SIZE;
        if (low != INVALID_FILE_SIZE || GetLastError() == NO_ERROR) size_ = (std::uint64_t{high} << 32) | low;
    }
    std::uint64_t Size() const override { return size_; }
    bool Read(std::uint64_t offset, void* out, std::size_t count) override {
        if (offset > size_ || count > size_ - offset) return false;
        LONG high = static_cast<LONG>(offset >> 32);
        if (SetFilePointer(file_.get(), static_cast<LONG>(offset & 0xffffffff), &high, FILE_BEGIN) ==
                INVALID_SET_FILE_POINTER &&
            GetLastError() != NO_ERROR)
            return false;
        DWORD got = 0;
        return ReadFile(file_.get(), out, static_cast<DWORD>(count), &got, nullptr) && got == count;
    }

private:
    OwnedHandle file_;
    std::uint64_t size_ = 0;
};

struct OwnPayload {
    PayloadState state = PayloadState::kNone;
    Payload payload;
};

const OwnPayload& Own() {
    static const OwnPayload own = [] {
        OwnPayload read;
        FileSource source(ModulePath());
        read.state = ReadPayload(source, read.payload);
        return read;
    }();
    return own;
}

// What the program wrote: deleted at the end, folders last, once the holds are released.
struct Unpacked {
    std::string programTail;  // the signature the program had when it was packed
    bool tailWhole = false;
    std::vector<std::string> files;
    std::vector<std::string> folders;
};

Unpacked& Written() {
    static Unpacked written;
    return written;
}

FILETIME AsFileTime(std::uint64_t time) {
    return {static_cast<DWORD>(time & 0xffffffff), static_cast<DWORD>(time >> 32)};
}

// Holds a finished file against writers and checks through that hold that it is what was written.
bool HoldWritten(const std::string& path, std::uint32_t crc) {
    OwnedHandle file(CreateFile932(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.valid()) return false;
    std::vector<char> buffer(256 * 1024);
    std::uint32_t read = 0;
    DWORD got = 0;
    while (ReadFile(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr) && got > 0)
        read = payload_format::Crc(read, buffer.data(), got);
    if (read != crc) return false;
    HoldFile(std::move(file));
    return true;
}

// Writes one file of the package piece by piece, as the payload gives it out.
class FileWriter {
public:
    bool Open(const std::string& path) {
        file_ = OwnedHandle(CreateFile932(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (file_.valid()) Written().files.push_back(path);
        return file_.valid();
    }
    bool Write(const char* bytes, std::size_t count) {
        DWORD wrote = 0;
        return WriteFile(file_.get(), bytes, static_cast<DWORD>(count), &wrote, nullptr) && wrote == count;
    }
    bool Finish(std::uint64_t writeTime) {
        const FILETIME time = AsFileTime(writeTime);
        const bool timed = writeTime == 0 || SetFileTime(file_.get(), &time, nullptr, &time);
        file_.reset();
        return timed;
    }

private:
    OwnedHandle file_;
};

// Makes the folders between base and the file, each one new.
bool MakeFoldersFor(const std::string& base, const std::string& name) {
    std::string folder = FolderOfPath(base + name);
    std::vector<std::string> missing;
    while (folder.size() > base.size()) {
        missing.push_back(folder);
        folder = FolderOfPath(RemovePathDelimiter(folder, "B"));
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        if (FolderExists(*it)) continue;
        if (!CreateDirectory932(RemovePathDelimiter(*it, "B").c_str(), nullptr)) return false;
        Written().folders.push_back(*it);
    }
    return true;
}

// A file's place below the folder its package comes out into: one of 64 folders, chosen by
// its name, since creating a name scans its whole folder under Wine.
std::string SpreadName(const std::string& name) {
    std::uint32_t hash = 2166136261u;
    for (unsigned char c : MapString(name, kMapUpperCase)) hash = (hash ^ c) * 16777619u;
    const char digits[] = "0123456789ABCDEF";
    return std::string{'P', digits[(hash >> 4) & 3], digits[hash & 15], '\\'} + name;
}

}  // namespace

std::string PackagedFile(const std::string& name) {
    if (!Environment().FromPayload) return "";
    const std::string path = Environment().SourceFolder + SpreadName(RemovePathDelimiter(name, "T"));
    return FileExists(path) ? path : "";
}

std::string PackageFilePath(const std::string& name) {
    const std::string path = PackagedFile(name);
    return path.empty() ? Environment().SourceFolder + RemovePathDelimiter(name, "T") : path;
}

PayloadState OwnPayloadState() { return Own().state; }

bool UnpackOwnPackage(const std::string& folder) {
    const Payload& payload = Own().payload;
    if (Own().state != PayloadState::kWhole) return false;
    if (!CreateDirectory932(RemovePathDelimiter(folder, "B").c_str(), nullptr)) return false;
    Written().folders.push_back(folder);
    FileSource source(ModulePath());
    FileWriter writer;
    std::size_t open = payload.files.size();
    auto sink = [&](std::size_t i, const char* bytes, std::size_t count) {
        const PayloadFile& file = payload.files[i];
        if (file.kind != PayloadKind::kPackageFile) {
            Written().programTail.append(bytes, count);
            Written().tailWhole = count == 0;
            return true;
        }
        const std::string name = SpreadName(file.name);
        const std::string path = folder + name;
        if (open != i) {
            if (!MakeFoldersFor(folder, name) || !writer.Open(path)) return false;
            open = i;
        }
        if (count > 0) return writer.Write(bytes, count);
        return writer.Finish(file.writeTime) && SetFileAttributes932(path.c_str(), file.attributes) &&
               HoldWritten(path, file.crc);
    };
    return UnpackPayload(source, payload, sink);
}

std::string RunningSetupProgram() {
    if (Own().state != PayloadState::kWhole) return ReadWholeFile(ModulePath());
    if (!Written().tailWhole) return "";  // known once the package is taken out
    FileSource source(ModulePath());
    return PackedProgram(source, Own().payload, Written().programTail);
}

std::uint64_t PackedProgramTime() {
    const Payload& payload = Own().payload;
    return Own().state == PayloadState::kWhole && !payload.files.empty() ? payload.files.front().writeTime : 0;
}

bool WriteAndHoldFile(const std::string& path, const std::string& bytes, std::uint64_t writeTime,
                      std::uint32_t attributes) {
    FileWriter writer;
    return writer.Open(path) && writer.Write(bytes.data(), bytes.size()) && writer.Finish(writeTime) &&
           SetFileAttributes932(path.c_str(), attributes) &&
           HoldWritten(path, payload_format::Crc(0, bytes.data(), bytes.size()));
}

void RemoveUnpackedPackage() {
    Unpacked& written = Written();
    ReleaseHeldFiles();
    for (const std::string& file : written.files) {
        SetFileAttributes932(file.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFile932(file.c_str());
    }
    for (auto it = written.folders.rbegin(); it != written.folders.rend(); ++it)
        RemoveDirectory932(RemovePathDelimiter(*it, "B").c_str());
    written.files.clear();
    written.folders.clear();
}
