#include "engine/payload.h"

#include "engine/code_page.h"

#include <LzmaDec.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>

using namespace payload_format;

bool MemorySource::Read(std::uint64_t offset, void* out, std::size_t count) {
    if (offset > bytes_.size() || count > bytes_.size() - offset) return false;
    std::memcpy(out, bytes_.data() + offset, count);
    return true;
}

namespace {

constexpr std::size_t kRecordFixed = 2 + 1 + 4 + 8 + 8 + 4;  // an index record without its name
constexpr std::size_t kBlockHeader = 9;
constexpr std::size_t kReadChunk = std::size_t{256} * 1024;

std::uint64_t Little(const char* bytes, int count) {
    std::uint64_t value = 0;
    for (int i = count; i-- > 0;) value = value * 256 + static_cast<unsigned char>(bytes[i]);
    return value;
}

// Reads a little-endian number of the given width at offset; false past the end.
bool ReadLittle(ByteSource& in, std::uint64_t offset, int count, std::uint64_t& value) {
    char bytes[8];
    if (!in.Read(offset, bytes, static_cast<std::size_t>(count))) return false;
    value = Little(bytes, count);
    return true;
}

// CRC-32 of count bytes of the source from offset, read in pieces.
bool CrcOf(ByteSource& in, std::uint64_t offset, std::uint64_t count, std::uint32_t& crc) {
    std::vector<char> buffer(kReadChunk);
    while (count > 0) {
        const std::size_t piece = static_cast<std::size_t>(std::min<std::uint64_t>(count, buffer.size()));
        if (!in.Read(offset, buffer.data(), piece)) return false;
        crc = Crc(crc, buffer.data(), piece);
        offset += piece;
        count -= piece;
    }
    return true;
}

// The first offset at or after the image's end that holds the payload's magic; 0 for none.
std::uint64_t FindStart(ByteSource& in, std::uint64_t imageEnd) {
    char bytes[kScanLimit + sizeof(kMagic)] = {};
    const std::uint64_t available = in.Size() > imageEnd ? in.Size() - imageEnd : 0;
    const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(available, sizeof(bytes)));
    if (count < sizeof(kMagic) || !in.Read(imageEnd, bytes, count)) return 0;
    for (std::size_t at = 0; at + sizeof(kMagic) <= count; ++at)
        if (std::memcmp(bytes + at, kMagic, sizeof(kMagic)) == 0) return imageEnd + at;
    return 0;
}

// A name a file may have inside the package: plain names below its folder, "\\" between
// them (a double-byte character's second byte is no delimiter). Nothing may lead out of the
// folder the files are taken into.
bool IsSafeName(const std::string& name) {
    if (name.empty() || name.size() > 200) return false;
    std::string level;
    for (std::size_t i = 0; i <= name.size(); ++i) {
        const unsigned char c = i < name.size() ? static_cast<unsigned char>(name[i]) : '\\';
        if (c == '\\') {
            if (level.empty() || level.back() == '.' || level.back() == ' ') return false;  // also "." and ".."
            level.clear();
        } else if (CurrentCodePage().IsLeadByte(c) && i + 1 < name.size()) {
            level += name.substr(i++, 2);
        } else if (c < 0x20 || std::strchr("/:*?\"<>|", c)) {
            return false;
        } else {
            level += static_cast<char>(c);
        }
    }
    return true;
}

bool ReadIndex(ByteSource& in, std::uint64_t at, std::uint64_t end, std::uint32_t count, Payload& payload) {
    bool copied = false;
    for (std::uint32_t i = 0; i < count; ++i) {
        char fixed[kRecordFixed];
        if (at + kRecordFixed > end || !in.Read(at, fixed, kRecordFixed)) return false;
        PayloadFile file;
        const std::size_t nameSize = static_cast<std::size_t>(Little(fixed, 2));
        file.kind = static_cast<PayloadKind>(fixed[2]);
        file.attributes = static_cast<std::uint32_t>(Little(fixed + 3, 4));
        file.writeTime = Little(fixed + 7, 8);
        file.size = Little(fixed + 15, 8);
        file.crc = static_cast<std::uint32_t>(Little(fixed + 23, 4));
        at += kRecordFixed;
        file.name.resize(nameSize);
        if (at + nameSize > end || !in.Read(at, file.name.data(), nameSize)) return false;
        at += nameSize;
        const bool named = file.kind == PayloadKind::kPackageFile || file.kind == PayloadKind::kCopiedFile;
        if (!named && file.kind != PayloadKind::kProgramTail) return false;
        if (named && !IsSafeName(file.name)) return false;
        // The files taken out before the run come first: the copy step reads on from there.
        copied = copied || file.kind == PayloadKind::kCopiedFile;
        if (copied && file.kind != PayloadKind::kCopiedFile) return false;
        payload.files.push_back(std::move(file));
    }
    return at == end;
}

void* LzmaAlloc(void*, std::size_t size) { return std::malloc(size); }
void LzmaFree(void*, void* address) { std::free(address); }
ISzAlloc lzmaAlloc = {LzmaAlloc, LzmaFree};

// The CRC-32 of zip and PNG (reflected polynomial 0xEDB88320), a table built once.
const std::array<std::uint32_t, 256>& CrcTable() {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> out{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            out[n] = c;
        }
        return out;
    }();
    return table;
}

}  // namespace

namespace payload_format {

std::uint32_t Crc(std::uint32_t crc, const char* bytes, std::size_t count) {
    const std::array<std::uint32_t, 256>& table = CrcTable();
    crc = ~crc;
    for (std::size_t i = 0; i < count; ++i)
        crc = table[(crc ^ static_cast<unsigned char>(bytes[i])) & 0xff] ^ (crc >> 8);
    return ~crc;
}

bool ReadProgramLayout(ByteSource& in, ProgramLayout& layout) {
    std::uint64_t pe = 0, sections = 0, optionalSize = 0, magic = 0, headersSize = 0;
    char signature[4];
    if (!ReadLittle(in, 0x3c, 4, pe) || !in.Read(pe, signature, 4) || std::memcmp(signature, "PE\0\0", 4) != 0 ||
        !ReadLittle(in, pe + 6, 2, sections) || !ReadLittle(in, pe + 20, 2, optionalSize))
        return false;
    const std::uint64_t optional = pe + 24;
    // A 32-bit optional header that reaches the certificate directory (number 4).
    if (optionalSize < 96 + 5 * 8 || !ReadLittle(in, optional, 2, magic) || magic != 0x10b ||
        !ReadLittle(in, optional + 60, 4, headersSize))
        return false;
    layout.checksumAt = static_cast<std::size_t>(optional + 64);
    layout.securityAt = static_cast<std::size_t>(optional + 96 + std::uint64_t{4} * 8);  // data directory 4
    std::uint64_t checksum = 0, securityOffset = 0, securitySize = 0;
    if (!ReadLittle(in, layout.checksumAt, 4, checksum) || !ReadLittle(in, layout.securityAt, 4, securityOffset) ||
        !ReadLittle(in, layout.securityAt + 4, 4, securitySize))
        return false;
    layout.fields = {static_cast<std::uint32_t>(checksum), static_cast<std::uint32_t>(securityOffset),
                     static_cast<std::uint32_t>(securitySize)};
    layout.imageEnd = headersSize;
    const std::uint64_t table = optional + optionalSize;
    for (std::uint64_t i = 0; i < sections; ++i) {
        std::uint64_t rawSize = 0, rawAt = 0;
        if (!ReadLittle(in, table + i * 40 + 16, 4, rawSize) || !ReadLittle(in, table + i * 40 + 20, 4, rawAt))
            return false;
        layout.imageEnd = std::max(layout.imageEnd, rawAt + rawSize);
    }
    return layout.imageEnd <= in.Size();
}

void PutProgramFields(std::string& program, const ProgramLayout& layout, const ProgramFields& fields) {
    const std::uint32_t values[] = {fields.checksum, fields.securityOffset, fields.securitySize};
    const std::size_t at[] = {layout.checksumAt, layout.securityAt, layout.securityAt + 4};
    for (int v = 0; v < 3; ++v)
        for (int i = 0; i < 4; ++i) program[at[v] + i] = static_cast<char>(values[v] >> (8 * i));
}

}  // namespace payload_format

// Hands the data's bytes out in order, block by block: a stored block as read, an LZMA block
// (the encoder's 5 property bytes, then its raw stream without an end mark) decoded piece by
// piece into its dictionary, and checked to end exactly with the block.
struct PayloadReader::Blocks {
    Blocks(ByteSource& source, std::uint64_t from, std::uint64_t to) : in(source), at(from), end(to) {
        LzmaDec_Construct(&decoder);
    }
    ~Blocks() { LzmaDec_FreeProbs(&decoder, &lzmaAlloc); }
    Blocks(const Blocks&) = delete;
    Blocks& operator=(const Blocks&) = delete;

    // The next piece of at most count bytes; false when the data is damaged or done.
    bool Next(std::size_t count, const char*& bytes, std::size_t& got) {
        if (rawLeft == 0 && !Load()) return false;
        count = static_cast<std::size_t>(std::min<std::uint64_t>(count, rawLeft));
        if (method == Method::kStored) {
            if (inPos == inSize && !Fill()) return false;
            got = std::min(count, inSize - inPos);
            bytes = input.data() + inPos;
            inPos += got;
        } else if (!Decode(count, bytes, got)) {
            return false;
        }
        rawLeft -= got;
        return rawLeft > 0 || (inPos == inSize && storedLeft == 0 && Finished());
    }
    bool AtEnd() const { return at == end && rawLeft == 0 && storedLeft == 0 && inPos == inSize; }

private:
    bool Load() {
        char head[kBlockHeader];
        if (at + kBlockHeader > end || !in.Read(at, head, kBlockHeader)) return false;
        rawLeft = static_cast<std::uint32_t>(Little(head, 4));
        storedLeft = Little(head + 4, 4);
        method = static_cast<Method>(head[8]);
        at += kBlockHeader;
        inPos = inSize = 0;
        if (rawLeft == 0 || rawLeft > kBlockLimit || storedLeft > end - at) return false;
        if (method == Method::kStored) return storedLeft == rawLeft;
        Byte props[LZMA_PROPS_SIZE];
        CLzmaProps read;
        if (method != Method::kLzma || storedLeft < LZMA_PROPS_SIZE || !in.Read(at, props, LZMA_PROPS_SIZE) ||
            LzmaProps_Decode(&read, props, LZMA_PROPS_SIZE) != SZ_OK ||
            LzmaDec_AllocateProbs(&decoder, props, LZMA_PROPS_SIZE, &lzmaAlloc) != SZ_OK)
            return false;
        at += LZMA_PROPS_SIZE;
        storedLeft -= LZMA_PROPS_SIZE;
        // No match reaches further back than the block's start: a shorter block needs no more.
        const std::size_t size = std::min<std::size_t>(std::max<UInt32>(read.dicSize, 1), rawLeft);
        if (size > kDictionarySize) return false;
        if (dictionary.size() < size) dictionary.resize(size);
        decoder.dic = dictionary.data();
        decoder.dicBufSize = size;
        LzmaDec_Init(&decoder);
        return true;
    }
    // Keeps what is left of the read buffer and reads on behind it.
    bool Fill() {
        if (storedLeft == 0) return false;
        input.resize(kInputSize);
        std::memmove(input.data(), input.data() + inPos, inSize - inPos);
        inSize -= inPos;
        inPos = 0;
        const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(storedLeft, kInputSize - inSize));
        if (!in.Read(at, input.data() + inSize, count)) return false;
        at += count;
        storedLeft -= count;
        inSize += count;
        return true;
    }
    bool Decode(std::size_t count, const char*& bytes, std::size_t& got) {
        if (decoder.dicPos == decoder.dicBufSize) decoder.dicPos = 0;
        const SizeT start = decoder.dicPos;
        const SizeT limit = start + std::min<SizeT>(count, decoder.dicBufSize - start);
        const ELzmaFinishMode mode = limit - start == rawLeft ? LZMA_FINISH_END : LZMA_FINISH_ANY;
        while (decoder.dicPos == start) {
            SizeT used = inSize - inPos;
            if (LzmaDec_DecodeToDic(&decoder, limit, reinterpret_cast<const Byte*>(input.data()) + inPos, &used, mode,
                                    &status) != SZ_OK)
                return false;
            inPos += used;
            if (decoder.dicPos == start && used == 0 && !Fill()) return false;  // the stream ends too soon
        }
        bytes = reinterpret_cast<const char*>(decoder.dic + start);
        got = decoder.dicPos - start;
        return true;
    }
    bool Finished() const {
        return method == Method::kStored || status == LZMA_STATUS_FINISHED_WITH_MARK ||
               status == LZMA_STATUS_MAYBE_FINISHED_WITHOUT_MARK;
    }

    static constexpr std::size_t kInputSize = std::size_t{256} << 10;
    ByteSource& in;
    std::uint64_t at, end;         // the next byte to read, and the data's end
    std::uint64_t storedLeft = 0;  // of the block, not read yet
    std::uint32_t rawLeft = 0;     // of the block, not given out yet
    Method method = Method::kStored;
    std::vector<char> input;
    std::size_t inPos = 0, inSize = 0;
    CLzmaDec decoder;
    ELzmaStatus status = LZMA_STATUS_NOT_SPECIFIED;
    std::vector<Byte> dictionary;
};

PayloadReader::PayloadReader(ByteSource& in, const Payload& payload)
    : payload_(payload), blocks_(std::make_unique<Blocks>(in, payload.dataStart, payload.end - 4)) {}

PayloadReader::~PayloadReader() = default;

bool PayloadReader::Take(PayloadSink sink, void* context) {
    if (next_ >= payload_.files.size()) return false;
    const PayloadFile& file = payload_.files[next_];
    std::uint64_t left = file.size;
    std::uint32_t crc = 0;
    while (left > 0) {
        const char* bytes = nullptr;
        std::size_t got = 0;
        if (!blocks_->Next(static_cast<std::size_t>(std::min<std::uint64_t>(left, kReadChunk)), bytes, got) ||
            (sink && !sink(context, next_, bytes, got)))
            return false;
        crc = Crc(crc, bytes, got);
        left -= got;
    }
    if (crc != file.crc) return false;
    const std::size_t taken = next_++;
    return !sink || sink(context, taken, nullptr, 0);
}

bool PayloadReader::Skip() { return Take(nullptr, nullptr); }

bool PayloadReader::AtEnd() const { return blocks_->AtEnd(); }

PayloadState ReadPayload(ByteSource& in, Payload& payload) {
    payload = Payload{};
    ProgramLayout layout;
    if (!ReadProgramLayout(in, layout)) return PayloadState::kNone;
    // A signature added after packing lies behind the payload; nothing else may.
    const std::uint64_t limit = layout.fields.securitySize ? layout.fields.securityOffset : in.Size();
    payload.start = FindStart(in, layout.imageEnd);
    // More behind the program than a signing tool's padding is a payload, whatever became of its first bytes.
    if (payload.start == 0) return limit > layout.imageEnd + kScanLimit ? PayloadState::kDamaged : PayloadState::kNone;
    char header[kHeaderSize];
    if (!in.Read(payload.start, header, kHeaderSize)) return PayloadState::kDamaged;
    const auto count = static_cast<std::uint32_t>(Little(header + 8, 4));
    const std::uint64_t indexSize = Little(header + 12, 4), dataSize = Little(header + 16, 8);
    payload.programCrc = static_cast<std::uint32_t>(Little(header + 24, 4));
    payload.program = {static_cast<std::uint32_t>(Little(header + 28, 4)),
                       static_cast<std::uint32_t>(Little(header + 32, 4)),
                       static_cast<std::uint32_t>(Little(header + 36, 4))};
    payload.dataStart = payload.start + kHeaderSize + indexSize;
    payload.end = payload.dataStart + dataSize + 4;
    if (dataSize > limit || payload.end > limit || payload.end < payload.dataStart) return PayloadState::kDamaged;
    std::uint64_t stored = 0;
    std::uint32_t crc = 0;
    if (!CrcOf(in, payload.start, payload.end - 4 - payload.start, crc) ||
        !ReadLittle(in, payload.end - 4, 4, stored) || crc != stored)
        return PayloadState::kDamaged;
    // The index in one read: it is a few bytes a file.
    std::string index(static_cast<std::size_t>(indexSize), '\0');
    MemorySource indexSource(index);
    if (!in.Read(payload.start + kHeaderSize, index.data(), index.size()) ||
        !ReadIndex(indexSource, 0, indexSize, count, payload))
        return PayloadState::kDamaged;
    // The program in front must be the one that was packed, as far as a signature leaves it.
    const std::string program = PackedProgram(in, payload, "");
    if (program.empty() || Crc(0, program.data(), program.size()) != payload.programCrc) return PayloadState::kDamaged;
    return PayloadState::kWhole;
}

std::string PackedProgram(ByteSource& in, const Payload& payload, const std::string& tail) {
    ProgramLayout layout;
    std::string program(static_cast<std::size_t>(payload.start), '\0');
    if (!ReadProgramLayout(in, layout) || !in.Read(0, program.data(), program.size()) ||
        layout.securityAt + 8 > program.size())
        return "";
    PutProgramFields(program, layout, payload.program);
    return program + tail;
}
