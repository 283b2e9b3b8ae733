#include "check/pack.h"

#include <zlib.h>
#ifdef KELVO_HAVE_ZOPFLI
#include <zopfli/zopfli.h>
#endif

#include <algorithm>
#include <atomic>
#include <cstdlib>
#if defined(_GLIBCXX_HAS_GTHREADS)
#include <thread>
#endif

#include "engine/payload.h"

using namespace payload_format;

namespace {

// Blocks that deflate by less than this are stored: they are random or compressed already.
constexpr double kWorthDeflating = 0.97;

std::string ZlibDeflate(const std::string& raw) {
    z_stream stream{};
    if (deflateInit2(&stream, 9, Z_DEFLATED, -MAX_WBITS, 9, Z_DEFAULT_STRATEGY) != Z_OK) return "";
    std::string out(deflateBound(&stream, static_cast<uLong>(raw.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(raw.data()));
    stream.avail_in = static_cast<uInt>(raw.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const bool done = deflate(&stream, Z_FINISH) == Z_STREAM_END;
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return done ? out : "";
}

// Zopfli spends many times zlib's time for a stream about 4 % smaller, which zlib's inflate
// reads as any other. More than one iteration gained 0.3 % more on programs, at twice the time.
std::string BestDeflate(const std::string& raw) {
    std::string best = ZlibDeflate(raw);
#ifdef KELVO_HAVE_ZOPFLI
    if (best.empty() || static_cast<double>(best.size()) >= kWorthDeflating * static_cast<double>(raw.size()))
        return best;
    ZopfliOptions options;
    ZopfliInitOptions(&options);
    options.numiterations = 1;
    unsigned char* out = nullptr;
    std::size_t outSize = 0;
    ZopfliCompress(&options, ZOPFLI_FORMAT_DEFLATE, reinterpret_cast<const unsigned char*>(raw.data()), raw.size(),
                   &out, &outSize);
    if (out && outSize < best.size()) best.assign(reinterpret_cast<char*>(out), outSize);
    std::free(out);
#endif
    return best;
}

std::string Block(const std::string& raw) {
    const std::string deflated = BestDeflate(raw);
    const auto rawSize = static_cast<std::uint32_t>(raw.size());
    if (deflated.empty() || static_cast<double>(deflated.size()) >= kWorthDeflating * static_cast<double>(raw.size()))
        return BlockHeader(rawSize, rawSize, Method::kStored) + raw;
    return BlockHeader(rawSize, static_cast<std::uint32_t>(deflated.size()), Method::kDeflate) + deflated;
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
