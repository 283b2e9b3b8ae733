#include "engine/payload_win.h"

#include <windows.h>

#include <memory>
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

// What the program wrote: deleted at the end, folders last, once the holds are released;
// and the payload as far as it has been read.
struct Unpacked {
    std::string programTail;  // the signature the program had when it was packed
    bool tailWhole = false;
    std::vector<std::string> files;
    std::vector<std::string> folders;
    std::string folder;  // where the package comes out
    std::unique_ptr<FileSource> source;
    std::unique_ptr<PayloadReader> reader;
    std::vector<std::string> placed;       // by file: where its bytes were put
    std::size_t firstCopied = 0;           // the files from here on are left for the copy step
    std::vector<std::string> copiedNames;  // theirs, in upper case
    std::size_t lastFound = 0;
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
    bool Open(const std::string& path, DWORD disposition, DWORD attributes) {
        file_ = OwnedHandle(CreateFile932(path.c_str(), GENERIC_WRITE, 0, nullptr, disposition,
                                          attributes | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        return file_.valid();
    }
    bool Write(const char* bytes, std::size_t count) {
        DWORD wrote = 0;
        return WriteFile(file_.get(), bytes, static_cast<DWORD>(count), &wrote, nullptr) && wrote == count;
    }
    // The time it was written and read, as a copy keeps them.
    bool Finish(std::uint64_t writeTime) {
        const FILETIME time = AsFileTime(writeTime);
        const bool timed = writeTime == 0 || SetFileTime(file_.get(), nullptr, &time, &time);
        file_.reset();
        return timed;
    }
    // Back to an empty file, to be written again.
    bool Restart() { return SetFilePointer(file_.get(), 0, nullptr, FILE_BEGIN) == 0 && SetEndOfFile(file_.get()); }
    unsigned long Error() const { return GetLastError(); }

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

// The file left for the copy step that PackagedFile names path, or 0. The search goes on
// from the last file found: the run asks for them in the payload's order.
std::size_t FindCopied(const std::string& path) {
    Unpacked& written = Written();
    const std::size_t count = written.copiedNames.size();
    const std::size_t below = written.folder.size() + 4;  // "P3F\"
    if (count == 0 || path.size() <= below) return 0;
    const std::string upper = MapString(path, kMapUpperCase), name = upper.substr(below);
    for (std::size_t k = 0; k < count; ++k) {
        const std::size_t i = (written.lastFound + k) % count;
        if (written.copiedNames[i] == name && MapString(written.folder + SpreadName(name), kMapUpperCase) == upper) {
            written.lastFound = i;
            return written.firstCopied + i;
        }
    }
    return 0;
}

// Where the payload's files go as the reader gives them out: the program's tail into memory,
// the file the copy step asked for into its staged file, any other below the work folder,
// made anew, given its time and attributes, and held once it reads back whole.
class Unpacking {
public:
    explicit Unpacking(FileWriter* asked = nullptr, std::size_t askedFor = kNone)
        : asked_(asked), askedFor_(askedFor) {}
    bool operator()(std::size_t i, const char* bytes, std::size_t count) {
        if (i == askedFor_) return count == 0 || Did(asked_->Write(bytes, count));
        const PayloadFile& file = Own().payload.files[i];
        Unpacked& written = Written();
        if (file.kind == PayloadKind::kProgramTail) {
            written.programTail.append(bytes, count);
            written.tailWhole = count == 0;
            return true;
        }
        const std::string name = SpreadName(file.name), path = written.folder + name;
        if (open_ != i) {
            if (!Did(MakeFoldersFor(written.folder, name) && writer_.Open(path, CREATE_NEW, FILE_ATTRIBUTE_NORMAL)))
                return false;
            written.files.push_back(path);
            open_ = i;
        }
        if (count > 0) return Did(writer_.Write(bytes, count));
        open_ = kNone;
        written.placed[i] = path;
        return Did(writer_.Finish(file.writeTime) && SetFileAttributes932(path.c_str(), file.attributes) &&
                   HoldWritten(path, file.crc));
    }
    // Why the reader stopped: a file that could not be written, else a damaged payload.
    unsigned long Error() const { return error_ ? error_ : ERROR_CRC; }

private:
    static constexpr std::size_t kNone = ~std::size_t{0};
    bool Did(bool done) {
        if (!done && !error_) error_ = GetLastError() ? GetLastError() : ERROR_WRITE_FAULT;
        return done;
    }
    FileWriter* asked_;
    std::size_t askedFor_;
    FileWriter writer_;
    std::size_t open_ = kNone;
    unsigned long error_ = 0;
};

// Copies a file's bytes from where the run put them before, if they are still its bytes.
// False to take them from the payload instead; error is set when the staged file failed.
bool CopyPlaced(FileWriter& writer, const std::string& placed, const PayloadFile& file, unsigned long& error) {
    OwnedHandle from(CreateFile932(placed.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!from.valid()) return false;
    std::vector<char> buffer(256 * 1024);
    std::uint32_t crc = 0;
    std::uint64_t size = 0;
    DWORD got = 0;
    while (ReadFile(from.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr) && got > 0) {
        if (!writer.Write(buffer.data(), got)) {
            error = writer.Error();
            return false;
        }
        crc = payload_format::Crc(crc, buffer.data(), got);
        size += got;
    }
    if (crc != file.crc || size != file.size) {
        if (!writer.Restart()) error = writer.Error();
        return false;
    }
    if (!writer.Finish(file.writeTime)) error = writer.Error();
    return true;
}

// Reads the payload on to the file, or from its start when the reader has passed it. The
// copied files passed over and not put anywhere yet are kept below the work folder.
unsigned long TakeFromPayload(FileWriter& writer, std::size_t index) {
    Unpacked& written = Written();
    const Payload& payload = Own().payload;
    if (index < written.reader->Next()) written.reader = std::make_unique<PayloadReader>(*written.source, payload);
    PayloadReader& reader = *written.reader;
    Unpacking sink(&writer, index);
    while (reader.Next() < index) {
        const std::size_t next = reader.Next();
        const bool keep = payload.files[next].kind == PayloadKind::kCopiedFile && written.placed[next].empty();
        if (!(keep ? reader.Take(sink) : reader.Skip())) return sink.Error();
    }
    return reader.Take(sink) ? 0 : sink.Error();
}

}  // namespace

std::string PackagedFile(const std::string& name) {
    if (!Environment().FromPayload) return "";
    const std::string path = Environment().SourceFolder + SpreadName(RemovePathDelimiter(name, "T"));
    return FileExists(path) || CopiedPackageFile(path) ? path : "";
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
    Unpacked& written = Written();
    written.folders.push_back(folder);
    written.folder = folder;
    written.source = std::make_unique<FileSource>(ModulePath());
    written.reader = std::make_unique<PayloadReader>(*written.source, payload);
    written.placed.assign(payload.files.size(), "");
    Unpacking sink;
    PayloadReader& reader = *written.reader;
    while (reader.Next() < payload.files.size() && payload.files[reader.Next()].kind != PayloadKind::kCopiedFile)
        if (!reader.Take(sink)) return false;
    written.firstCopied = reader.Next();
    for (std::size_t i = written.firstCopied; i < payload.files.size(); ++i)
        written.copiedNames.push_back(MapString(payload.files[i].name, kMapUpperCase));
    return reader.Next() < payload.files.size() || reader.AtEnd();
}

const PayloadFile* CopiedPackageFile(const std::string& path) {
    const std::size_t index = FindCopied(path);
    return index ? &Own().payload.files[index] : nullptr;
}

unsigned long WriteCopiedFile(const std::string& source, const std::string& staged, const std::string& destination) {
    Unpacked& written = Written();
    const std::size_t index = FindCopied(source);
    if (!index) return ERROR_FILE_NOT_FOUND;
    const PayloadFile& file = Own().payload.files[index];
    FileWriter writer;
    if (!writer.Open(staged, CREATE_ALWAYS, FILE_ATTRIBUTE_ARCHIVE)) return writer.Error();
    unsigned long error = 0;
    if (written.placed[index].empty() || !CopyPlaced(writer, written.placed[index], file, error)) {
        if (error == 0) error = TakeFromPayload(writer, index);
        if (error == 0 && !writer.Finish(file.writeTime)) error = writer.Error();
    }
    if (error) {
        writer.Finish(0);
        DeleteFile932(staged.c_str());
        return error;
    }
    written.placed[index] = destination;
    return 0;
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
    if (!writer.Open(path, CREATE_NEW, FILE_ATTRIBUTE_NORMAL)) return false;
    Written().files.push_back(path);
    return writer.Write(bytes.data(), bytes.size()) && writer.Finish(writeTime) &&
           SetFileAttributes932(path.c_str(), attributes) &&
           HoldWritten(path, payload_format::Crc(0, bytes.data(), bytes.size()));
}

void RemoveUnpackedPackage() {
    Unpacked& written = Written();
    written.reader.reset();
    written.source.reset();
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
