#include "install/program_image.h"

#include <algorithm>
#include <cstdint>

namespace {

std::uint32_t Read32(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 4; i-- > 0;) value = value * 256 + static_cast<unsigned char>(bytes[at + i]);
    return value;
}

std::uint32_t Read16(const std::string& bytes, std::size_t at) {
    return static_cast<unsigned char>(bytes[at]) + 256u * static_cast<unsigned char>(bytes[at + 1]);
}

// The end of everything the headers say the file holds; 0 when the headers do not fit.
std::uint64_t ImageEnd(const std::string& bytes) {
    const std::uint64_t size = bytes.size();
    if (size < 0x40 || bytes.compare(0, 2, "MZ") != 0) return 0;
    const std::uint64_t pe = Read32(bytes, 0x3c);
    if (pe + 24 > size || bytes.compare(pe, 4, std::string("PE\0\0", 4)) != 0) return 0;
    const std::uint64_t sections = Read16(bytes, pe + 6);
    const std::uint64_t optional = pe + 24;
    const std::uint64_t optionalSize = Read16(bytes, pe + 20);
    const std::uint64_t table = optional + optionalSize;
    if (table + sections * 40 > size) return 0;
    std::uint64_t end = table + sections * 40;
    for (std::uint64_t i = 0; i < sections; ++i) {
        const std::uint64_t at = table + i * 40;
        end = std::max<std::uint64_t>(end, std::uint64_t{Read32(bytes, at + 20)} + Read32(bytes, at + 16));
    }
    // The certificate table of a signed program: directory 4 of a 32-bit optional header.
    if (optionalSize >= 96 + 5 * 8 && Read16(bytes, optional) == 0x10b) {
        const std::uint64_t directory = optional + 96 + 4 * 8;
        const std::uint64_t certificates = Read32(bytes, directory), length = Read32(bytes, directory + 4);
        if (length) end = std::max(end, certificates + length);
    }
    return end;
}

}  // namespace

bool IsWholeSetupProgram(const std::string& bytes) {
    const std::uint64_t end = ImageEnd(bytes);
    return end != 0 && end <= bytes.size() && bytes.find("KELVOSETUP") != std::string::npos;
}
