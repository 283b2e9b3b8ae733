#include "check/pack.h"

#include <LzmaEnc.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#if defined(_GLIBCXX_HAS_GTHREADS)
#include <thread>
#endif

#include "engine/payload.h"

using namespace payload_format;

namespace {

// Blocks that shrink by less than this are stored: they are random or compressed already.
constexpr double kWorthCompressing = 0.97;

void* LzmaAlloc(void*, std::size_t size) { return std::malloc(size); }
void LzmaFree(void*, void* address) { std::free(address); }

// The encoder's 5 property bytes, then its raw stream without an end mark (the block header
// has the size). One thread and fixed settings: the same block gives the same bytes.
std::string Compress(const std::string& raw) {
    CLzmaEncProps props;
    LzmaEncProps_Init(&props);
    props.level = 9;
    props.dictSize = static_cast<UInt32>(kBlockSize);  // a block is never longer
    // The usual literal and position bits: lc 0 or 4, lp 2 and pb 0 came within 0.3 % of them
    // on bench/pack_size.py's package.
    props.lc = 3;
    props.lp = 0;
    props.pb = 2;
    props.fb = 273;
    props.numThreads = 1;
    ISzAlloc alloc = {LzmaAlloc, LzmaFree};
    std::string out(LZMA_PROPS_SIZE + raw.size() + raw.size() / 3 + 128, '\0');
    SizeT propsSize = LZMA_PROPS_SIZE, streamSize = out.size() - LZMA_PROPS_SIZE;
    auto* bytes = reinterpret_cast<Byte*>(out.data());
    if (LzmaEncode(bytes + LZMA_PROPS_SIZE, &streamSize, reinterpret_cast<const Byte*>(raw.data()), raw.size(), &props,
                   bytes, &propsSize, 0, nullptr, &alloc, &alloc) != SZ_OK ||
        propsSize != LZMA_PROPS_SIZE)
        return "";
    out.resize(LZMA_PROPS_SIZE + streamSize);
    return out;
}

// LZMA spends as long on random bytes as on any (a few MB/s), to store them in the end: a
// block whose every 64 KiB are spread almost evenly over all 256 values is stored untried.
// Gzip files measure 7.999 bits a byte, pictures 7.88 (tried), programs and texts 4.5 to 6.5.
// Taken over the whole block, a script among random files would be stored with them.
bool LooksRandom(const std::string& raw) {
    constexpr std::size_t kPiece = std::size_t{64} << 10;
    for (std::size_t at = 0; at < raw.size(); at += kPiece) {
        const std::size_t size = std::min(kPiece, raw.size() - at);
        std::size_t counts[256] = {};
        for (std::size_t i = at; i < at + size; ++i) ++counts[static_cast<unsigned char>(raw[i])];
        double bits = 0;
        for (const std::size_t count : counts)
            if (count)
                bits -= static_cast<double>(count) * std::log2(static_cast<double>(count) / static_cast<double>(size));
        if (bits < 7.9 * static_cast<double>(size)) return false;
    }
    return true;
}

std::string Block(const std::string& raw) {
    const std::string compressed = LooksRandom(raw) ? "" : Compress(raw);
    const auto rawSize = static_cast<std::uint32_t>(raw.size());
    if (compressed.empty() ||
        static_cast<double>(compressed.size()) >= kWorthCompressing * static_cast<double>(raw.size()))
        return BlockHeader(rawSize, rawSize, Method::kStored) + raw;
    return BlockHeader(rawSize, static_cast<std::uint32_t>(compressed.size()), Method::kLzma) + compressed;
}

// Every block on its own, on every processor: the bytes do not depend on which thread did which.
std::string Blocks(const std::string& stream) {
    std::vector<std::string> blocks((stream.size() + kBlockSize - 1) / kBlockSize);
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (std::size_t i; (i = next++) < blocks.size();) blocks[i] = Block(stream.substr(i * kBlockSize, kBlockSize));
    };
#if defined(_GLIBCXX_HAS_GTHREADS)
    const unsigned count = std::clamp(std::thread::hardware_concurrency(), 1u, 8u);
    std::vector<std::thread> threads;
    for (unsigned t = 1; t < count; ++t) threads.emplace_back(work);
    work();
    for (std::thread& thread : threads) thread.join();
#else
    work();  // setupcheck.exe: one thread
#endif
    std::string out;
    for (const std::string& block : blocks) out += block;
    return out;
}

}  // namespace

std::string PackPackage(const PackProgram& program, const std::vector<PackFile>& files) {
    MemorySource source(program.bytes);
    ProgramLayout layout;
    Payload existing;
    if (!ReadProgramLayout(source, layout) || ReadPayload(source, existing) != PayloadState::kNone) return "";
    // A program signed before packing goes in front without its signature (a signature of
    // the packed file takes that place); the payload carries the signature for the uninstaller.
    const ProgramFields original = layout.fields;
    std::string front = program.bytes, tail;
    if (original.securitySize && original.securityOffset >= layout.imageEnd &&
        original.securityOffset <= program.bytes.size()) {
        front = program.bytes.substr(0, original.securityOffset);
        tail = program.bytes.substr(original.securityOffset);
        PutProgramFields(front, layout, {original.checksum, 0, 0});
    }
    std::string stored = front;
    PutProgramFields(stored, layout, original);

    std::string index, stream;
    PayloadFile tailFile{"SETUP.EXE", PayloadKind::kProgramTail,       0, program.writeTime,
                         tail.size(), Crc(0, tail.data(), tail.size())};
    index += IndexRecord(tailFile);
    stream += tail;
    for (const PackFile& file : files) {
        index += IndexRecord({file.name, PayloadKind::kPackageFile, file.attributes, file.writeTime, file.bytes.size(),
                              Crc(0, file.bytes.data(), file.bytes.size())});
        stream += file.bytes;
    }
    const std::string data = Blocks(stream);
    std::string payload = Header(static_cast<std::uint32_t>(files.size() + 1), static_cast<std::uint32_t>(index.size()),
                                 data.size(), Crc(0, stored.data(), stored.size()), original) +
                          index + data;
    PutLittle(payload, Crc(0, payload.data(), payload.size()), 4);
    // Read back as the program will: a setup program with more behind its image than a
    // signing tool's padding would hide the payload from itself.
    std::string packed = front + payload;
    MemorySource check(packed);
    Payload read;
    return ReadPayload(check, read) == PayloadState::kWhole ? packed : "";
}
