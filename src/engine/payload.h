#pragma once
// A package carried inside the setup program: after the program's own bytes come a header,
// an index of the files and their bytes, one after the other in blocks that are each stored
// or one LZMA stream over many files, and a CRC-32 of the whole payload. A signature added later follows the payload;
// where it starts is read from the program's own PE security directory.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Where the payload reads its bytes: the running program's file, or bytes in memory.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t Size() const = 0;
    // False unless all count bytes at offset were read.
    virtual bool Read(std::uint64_t offset, void* out, std::size_t count) = 0;
};

class MemorySource : public ByteSource {
public:
    explicit MemorySource(const std::string& bytes) : bytes_(bytes) {}
    std::uint64_t Size() const override { return bytes_.size(); }
    bool Read(std::uint64_t offset, void* out, std::size_t count) override;

private:
    const std::string& bytes_;
};

enum class PayloadKind : std::uint8_t {
    kPackageFile = 0,  // a file of the package, by its name in the package ("DISK2\B.TXT")
    kProgramTail = 1,  // the setup program's time, and the signature it had when it was packed
    kCopiedFile = 2,   // a [CopyFile] source, left in the payload until the copy step writes it in place
};

struct PayloadFile {
    std::string name;
    PayloadKind kind = PayloadKind::kPackageFile;
    std::uint32_t attributes = 0;  // FILE_ATTRIBUTE_* bits
    std::uint64_t writeTime = 0;   // FILETIME: 100 ns since 1601
    std::uint64_t size = 0;
    std::uint32_t crc = 0;
};

// The header's record of the setup program at the front: the fields a signing tool changes
// there, as they were when it was packed, so the program can be given back byte for byte.
struct ProgramFields {
    std::uint32_t checksum = 0;
    std::uint32_t securityOffset = 0;
    std::uint32_t securitySize = 0;
};

struct Payload {
    std::uint64_t start = 0;      // where the payload begins: the setup program's length
    std::uint64_t dataStart = 0;  // the first block
    std::uint64_t end = 0;        // just past the payload's CRC
    std::uint32_t programCrc = 0;
    ProgramFields program;
    std::vector<PayloadFile> files;
};

enum class PayloadState { kNone, kDamaged, kWhole };

// A plain program gives kNone. A payload with any byte changed, cut short or with an unsafe
// file name gives kDamaged. Reads the whole file once to check both CRCs.
PayloadState ReadPayload(ByteSource& in, Payload& payload);

// Gives the files out in index order, reading the payload forward once: a block's decoder
// holds its dictionary (at most kDictionarySize) and a 256 KiB read buffer until the block is done.
// (A plain function and its context: setup.exe carries the decoder, and every byte counts there.)
using PayloadSink = bool (*)(void* context, std::size_t file, const char* bytes, std::size_t count);
class PayloadReader {
public:
    PayloadReader(ByteSource& in, const Payload& payload);
    ~PayloadReader();
    PayloadReader(const PayloadReader&) = delete;
    PayloadReader& operator=(const PayloadReader&) = delete;
    // The file the next Take gives; files.size() once all are taken.
    std::size_t Next() const { return next_; }
    // Gives file Next()'s bytes to sink piece by piece, then once with count 0 when its CRC is
    // right. False when the payload is damaged, or when the sink returns false.
    bool Take(PayloadSink sink, void* context);
    // The same with any callable.
    template <class Sink>
    bool Take(Sink& sink) {
        return Take([](void* context, std::size_t file, const char* bytes,
                       std::size_t count) { return (*static_cast<Sink*>(context))(file, bytes, count); },
                    &sink);
    }
    // Passes over file Next() unwritten, its CRC still checked.
    bool Skip();
    // Whether every block was used up exactly by the files.
    bool AtEnd() const;

private:
    struct Blocks;
    const Payload& payload_;
    std::unique_ptr<Blocks> blocks_;
    std::size_t next_ = 0;
};

// Every file in index order, then the check that nothing is left over.
template <class Sink>
bool UnpackPayload(ByteSource& in, const Payload& payload, Sink& sink) {
    PayloadReader reader(in, payload);
    while (reader.Next() < payload.files.size())
        if (!reader.Take(sink)) return false;
    return reader.AtEnd();
}

// The setup program that was packed: the front of the file with the fields a signing tool
// changed put back, and the signature it carried then (the kProgramTail file's bytes).
std::string PackedProgram(ByteSource& in, const Payload& payload, const std::string& tail);

// What the packing side needs of the format.
namespace payload_format {
constexpr char kMagic[8] = {'K', 'E', 'L', 'V', 'O', 'P', 'K', '3'};  // 1: deflate, 2: 4 MiB LZMA blocks
constexpr std::size_t kHeaderSize = 40;
// An LZMA block's dictionary: what taking it out holds besides the decoder's 16 KB and the
// read buffer. 16 MiB packed a package like real software only 0.2 % smaller, and a
// Windows 95 machine with 16 MB of memory would feel it.
constexpr std::size_t kDictionarySize = std::size_t{8} << 20;
constexpr std::uint32_t kBlockLimit = std::uint32_t{1} << 30;  // raw bytes of one block
constexpr std::size_t kScanLimit = 64;                         // padding a signing tool may leave before the payload
enum class Method : std::uint8_t { kStored = 0, kLzma = 2 };   // 1 was deflate

// The program's PE fields that a signing tool rewrites, and the end of its image; false
// when the bytes are no 32-bit PE program.
struct ProgramLayout {
    std::uint64_t imageEnd = 0;
    std::size_t checksumAt = 0, securityAt = 0;
    ProgramFields fields;
};
bool ReadProgramLayout(ByteSource& in, ProgramLayout& layout);

std::uint32_t Crc(std::uint32_t crc, const char* bytes, std::size_t count);
// The front of the program with the given fields written into it.
void PutProgramFields(std::string& program, const ProgramLayout& layout, const ProgramFields& fields);
}  // namespace payload_format
