#include "install/program_image.h"

#include <cstdint>

#include "engine/payload.h"

bool IsWholeSetupProgram(const std::string& bytes) {
    MemorySource source(bytes);
    payload_format::ProgramLayout layout;
    if (bytes.compare(0, 2, "MZ") != 0 || !payload_format::ReadProgramLayout(source, layout)) return false;
    // A signed program's certificate table must be there too.
    const std::uint64_t certificates =
        layout.fields.securitySize ? std::uint64_t{layout.fields.securityOffset} + layout.fields.securitySize : 0;
    return certificates <= bytes.size() && bytes.find("KELVOSETUP") != std::string::npos;
}
