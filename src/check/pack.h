#pragma once
// Packs a package into one setup program: the program's bytes, then the payload that
// engine/payload.h reads back.
#include <cstdint>
#include <string>
#include <vector>

struct PackFile {
    std::string name;  // as the package names it, Shift-JIS: "SETUP.INI", "DISK2\\B.TXT"
    std::string bytes;
    std::uint32_t attributes = 0;  // FILE_ATTRIBUTE_* bits
    std::uint64_t writeTime = 0;   // FILETIME
};

struct PackProgram {
    std::string bytes;  // the package's setup.exe
    std::uint64_t writeTime = 0;
};

// The packed program; empty when the setup program is no 32-bit PE program or already
// carries a payload. The same input gives the same bytes.
std::string PackPackage(const PackProgram& program, const std::vector<PackFile>& files);
