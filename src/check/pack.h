#pragma once
// Packs a package into one setup program: the program's bytes, then the payload that
// engine/payload.h reads back.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/payload.h"

struct PackFile {
    std::string name;  // as the package names it, Shift-JIS: "SETUP.INI", "DISK2\\B.TXT"
    std::string bytes;
    std::uint32_t attributes = 0;  // FILE_ATTRIBUTE_* bits
    std::uint64_t writeTime = 0;   // FILETIME
    bool copied = false;           // a [CopyFile] source the copy step takes straight from the payload
};

struct PackProgram {
    std::string bytes;  // the package's setup.exe
    std::uint64_t writeTime = 0;
};

// The packed program; empty when the setup program is no 32-bit PE program or already
// carries a payload. The files the run needs before it starts come first, ordered by kind
// then name so that alike ones share the dictionary; the copied ones follow in the order
// given, the order the copy step asks for them. The same input gives the same bytes.
// dictionary is the LZMA dictionary's size, at most payload_format::kDictionarySize: what
// taking the package out holds.
std::string PackPackage(const PackProgram& program, const std::vector<PackFile>& files,
                        std::size_t dictionary = payload_format::kDictionarySize);
