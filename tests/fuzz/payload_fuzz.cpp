// A setup program's own file read for the package it carries: any bytes at all, since the
// download may be cut or changed anywhere. Properties: a whole payload's files lie inside the
// file, are named below the folder they come out into, and decode to exactly their sizes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/payload.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    MemorySource source(bytes);
    Payload payload;
    if (ReadPayload(source, payload) != PayloadState::kWhole) return 0;
    FUZZ_CHECK(payload.start < payload.dataStart && payload.dataStart < payload.end && payload.end <= size);
    std::vector<std::uint64_t> got(payload.files.size());
    for (const PayloadFile& file : payload.files)
        FUZZ_CHECK(file.kind == PayloadKind::kProgramTail ||
                   (!file.name.empty() && file.name.find(':') == std::string::npos && file.name[0] != '\\'));
    auto sink = [&](std::size_t i, const char*, std::size_t count) {
        FUZZ_CHECK(i < got.size());
        got[i] += count;
        FUZZ_CHECK(got[i] <= payload.files[i].size);
        return true;
    };
    if (UnpackPayload(source, payload, sink))
        for (std::size_t i = 0; i < got.size(); ++i) FUZZ_CHECK(got[i] == payload.files[i].size);
    FUZZ_CHECK(PackedProgram(source, payload, "").size() == payload.start);
    return 0;
}
