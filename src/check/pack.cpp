#include "check/pack.h"

#include <LzmaEnc.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#if defined(_GLIBCXX_HAS_GTHREADS)
#include <thread>
#endif

#include "engine/code_page.h"
#include "engine/payload.h"
#include "engine/strings.h"

using namespace payload_format;

namespace {

// Blocks that shrink by less than this are stored: they are random or compressed already.
constexpr double kWorthCompressing = 0.97;
// A random file smaller than this stays in the LZMA stream: a stored block would cut it, and
// the next would start with an empty dictionary.
constexpr std::size_t kStoredAtLeast = std::size_t{64} << 10;
// Below this, a file's bytes are too few to tell random from not.
constexpr std::size_t kJudgedAtLeast = std::size_t{4} << 10;
// Compressible runs longer than this are cut into blocks of about equal size, compressed at
// the same time on every processor.
constexpr std::size_t kLzmaBlock = std::size_t{64} << 20;

// The format's records, as engine/payload.cpp reads them; numbers little-endian.
void PutLittle(std::string& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i, value >>= 8) out.push_back(static_cast<char>(value & 0xff));
}

std::string Header(std::uint32_t fileCount, std::uint32_t indexSize, std::uint64_t dataSize, std::uint32_t programCrc,
                   const ProgramFields& fields) {
    std::string out(kMagic, sizeof(kMagic));
    PutLittle(out, fileCount, 4);
    PutLittle(out, indexSize, 4);
    PutLittle(out, dataSize, 8);
    PutLittle(out, programCrc, 4);
    PutLittle(out, fields.checksum, 4);
    PutLittle(out, fields.securityOffset, 4);
    PutLittle(out, fields.securitySize, 4);
    return out;
}

std::string IndexRecord(const PayloadFile& file) {
    std::string out;
    PutLittle(out, file.name.size(), 2);
    out.push_back(static_cast<char>(file.kind));
    PutLittle(out, file.attributes, 4);
    PutLittle(out, file.writeTime, 8);
    PutLittle(out, file.size, 8);
    PutLittle(out, file.crc, 4);
    return out + file.name;
}

std::string BlockHeader(std::uint32_t rawSize, std::uint32_t storedSize, Method method) {
    std::string out;
    PutLittle(out, rawSize, 4);
    PutLittle(out, storedSize, 4);
    out.push_back(static_cast<char>(method));
    return out;
}

void* LzmaAlloc(void*, std::size_t size) { return std::malloc(size); }
void LzmaFree(void*, void* address) { std::free(address); }

// The encoder's 5 property bytes, then its raw stream without an end mark (the block header
// has the size). One thread and fixed settings: the same block gives the same bytes.
std::string Compress(const char* raw, std::size_t size, std::size_t dictionary) {
    CLzmaEncProps props;
    LzmaEncProps_Init(&props);
    props.level = 9;
    props.dictSize = static_cast<UInt32>(std::min(dictionary, std::max<std::size_t>(size, 4096)));
    // Measured on bench/pack_size.py's package: pb 0 and 128 fast bytes packed it 0.7 % smaller
    // than pb 2 and 273, in 0.8 of the time; lc 4, lp 2 or 64 fast bytes did worse.
    props.lc = 3;
    props.lp = 0;
    props.pb = 0;
    props.fb = 128;
    props.numThreads = 1;
    ISzAlloc alloc = {LzmaAlloc, LzmaFree};
    std::string out(LZMA_PROPS_SIZE + size + size / 3 + 128, '\0');
    SizeT propsSize = LZMA_PROPS_SIZE, streamSize = out.size() - LZMA_PROPS_SIZE;
    auto* bytes = reinterpret_cast<Byte*>(out.data());
    if (LzmaEncode(bytes + LZMA_PROPS_SIZE, &streamSize, reinterpret_cast<const Byte*>(raw), size, &props, bytes,
                   &propsSize, 0, nullptr, &alloc, &alloc) != SZ_OK ||
        propsSize != LZMA_PROPS_SIZE)
        return "";
    out.resize(LZMA_PROPS_SIZE + streamSize);
    return out;
}

// LZMA spends as long on random bytes as on any (a few MB/s), to store them in the end: a
// file whose every 64 KiB are spread almost evenly over all 256 values is stored untried.
// Gzip files measure 7.999 bits a byte, pictures 7.88 (tried), programs and texts 4.5 to 6.5.
bool LooksRandom(const std::string& raw) {
    constexpr std::size_t kPiece = std::size_t{64} << 10;
    for (std::size_t at = 0; at < raw.size(); at += kPiece) {
        const std::size_t size = std::min(kPiece, raw.size() - at);
        if (size < kJudgedAtLeast && at > 0) break;  // too short a tail to judge
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

// A run of the stream that becomes one block.
struct Run {
    std::size_t at = 0, size = 0;
    bool tryLzma = false;
};

// fn(i) for every i below count, spread over every processor: what each call gives must not
// depend on which thread made it.
template <class Fn>
void OnEveryProcessor(std::size_t count, Fn fn) {
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (std::size_t i; (i = next++) < count;) fn(i);
    };
#if defined(_GLIBCXX_HAS_GTHREADS)
    const unsigned processors = std::clamp(std::thread::hardware_concurrency(), 1u, 8u);
    std::vector<std::thread> threads;
    for (unsigned t = 1; t < processors; ++t) threads.emplace_back(work);
    work();
    for (std::thread& thread : threads) thread.join();
#else
    work();  // setupcheck.exe: one thread
#endif
}

// Alike files side by side make runs: random ones stored, the others in as few LZMA blocks as
// the block limits allow.
std::vector<Run> Runs(const std::vector<const std::string*>& files) {
    std::vector<char> random(files.size());
    OnEveryProcessor(files.size(), [&](std::size_t i) { random[i] = LooksRandom(*files[i]); });
    std::vector<Run> runs;
    std::size_t at = 0;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::size_t size = files[i]->size();
        // A few KB of random bytes measure less than 7.9 bits a byte, and a random file cuts the
        // stream only when it is worth the empty dictionary after it: others go with their run.
        const bool stored = random[i] && size >= kStoredAtLeast;
        const bool compressed = !random[i] && size >= kJudgedAtLeast;
        if (runs.empty() || (stored && runs.back().tryLzma) || (compressed && !runs.back().tryLzma))
            runs.push_back({at, 0, !stored});
        runs.back().size += size;
        at += size;
    }
    std::vector<Run> cut;
    for (const Run& run : runs) {
        const std::size_t limit = run.tryLzma ? kLzmaBlock : kBlockLimit;
        const std::size_t parts = (run.size + limit - 1) / limit;  // none for an empty run
        for (std::size_t i = 0, from = run.at; i < parts; ++i) {
            const std::size_t to = run.at + run.size * (i + 1) / parts;
            cut.push_back({from, to - from, run.tryLzma});
            from = to;
        }
    }
    return cut;
}

std::string Block(const std::string& stream, const Run& run, std::size_t dictionary) {
    const std::string compressed = run.tryLzma ? Compress(stream.data() + run.at, run.size, dictionary) : "";
    const auto rawSize = static_cast<std::uint32_t>(run.size);
    if (compressed.empty() ||
        static_cast<double>(compressed.size()) >= kWorthCompressing * static_cast<double>(run.size))
        return BlockHeader(rawSize, rawSize, Method::kStored) + stream.substr(run.at, run.size);
    return BlockHeader(rawSize, static_cast<std::uint32_t>(compressed.size()), Method::kLzma) + compressed;
}

// Every block on its own: the bytes do not depend on which thread did which.
std::string Blocks(const std::string& stream, const std::vector<Run>& runs, std::size_t dictionary) {
    std::vector<std::string> blocks(runs.size());
    OnEveryProcessor(runs.size(), [&](std::size_t i) { blocks[i] = Block(stream, runs[i], dictionary); });
    std::string out;
    for (const std::string& block : blocks) out += block;
    return out;
}

// The files the run needs before it starts, by kind (the name's extension) then name; the
// copied ones after them as given.
std::vector<const PackFile*> PayloadOrder(const std::vector<PackFile>& files) {
    std::vector<const PackFile*> order;
    order.reserve(files.size());
    for (const PackFile& file : files) order.push_back(&file);
    auto key = [](const PackFile* file) {
        const std::string upper = MapString(file->name, kMapUpperCase);
        const std::size_t dot = upper.find_last_of(".\\");
        return std::pair{dot != std::string::npos && upper[dot] == '.' ? upper.substr(dot) : "", upper};
    };
    const auto copied = std::stable_partition(order.begin(), order.end(), [](const PackFile* f) { return !f->copied; });
    std::stable_sort(order.begin(), copied, [&](const PackFile* a, const PackFile* b) { return key(a) < key(b); });
    return order;
}

}  // namespace

std::string PackPackage(const PackProgram& program, const std::vector<PackFile>& files, std::size_t dictionary) {
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
    std::vector<const std::string*> pieces{&tail};
    for (const PackFile* file : PayloadOrder(files)) {
        const PayloadKind kind = file->copied ? PayloadKind::kCopiedFile : PayloadKind::kPackageFile;
        index += IndexRecord({file->name, kind, file->attributes, file->writeTime, file->bytes.size(),
                              Crc(0, file->bytes.data(), file->bytes.size())});
        stream += file->bytes;
        pieces.push_back(&file->bytes);
    }
    const std::string data = Blocks(stream, Runs(pieces), std::min(dictionary, kDictionarySize));
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
