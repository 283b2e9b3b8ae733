// Folder-macro expansion: every token of the table, any values, any text.
// Input: the text, then the values of the first tokens, each after a 0x01.
// Property: the result is the text with each token replaced character by character,
// so an expanded path never gains or loses a trail byte and a 0x5C trail byte is never
// taken for a delimiter.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/paths.h"
#include "fuzz_support.h"

namespace {

const char* const kTokens[] = {"(App)",   "(Prg)",   "(Win)",   "(Sys)",   "(Tmp)",  "(Boo)", "(Set)",
                               "(Edr)",   "(Smn)",   "(Sta)",   "(Dsk)",   "(Sup)",  "(Sen)", "(Myd)",
                               "(C_Smn)", "(C_Sta)", "(C_Dsk)", "(C_Sup)", "(C_Myd)"};

bool TokenAt(const std::vector<std::string>& chars, std::size_t at, const std::string& token) {
    if (at + token.size() > chars.size()) return false;
    for (std::size_t k = 0; k < token.size(); ++k) {
        const std::string& c = chars[at + k];
        if (c.size() != 1 || std::toupper(static_cast<unsigned char>(c[0])) != std::toupper(token[k])) return false;
    }
    return true;
}

// The expansion worked out on whole characters.
std::string Replaced(const std::string& text, const std::string& token, const std::string& value) {
    const std::vector<std::string> chars = fuzz::Characters(text);
    const std::vector<std::string> valueChars = fuzz::Characters(value);
    const bool swallows = !valueChars.empty() && valueChars.back() == "\\";
    std::string out;
    for (std::size_t i = 0; i < chars.size();) {
        if (!TokenAt(chars, i, token)) {
            out += chars[i++];
            continue;
        }
        out += value;
        i += token.size();
        if (swallows && i < chars.size() && chars[i] == "\\") ++i;
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string> parts = fuzz::Split(data, size, '\x01');
    const std::string& text = parts[0];
    FolderMacroTable table;
    std::string expected = text;
    bool wellFormed = fuzz::WellFormed(text);
    std::vector<std::string> values;
    for (std::size_t i = 0; i < std::size(kTokens); ++i) {
        const std::string value = i + 1 < parts.size() ? parts[i + 1] : table.Get(kTokens[i]);
        table.Set(kTokens[i], value);
        FUZZ_CHECK(table.Get(kTokens[i]) == value);
        wellFormed = wellFormed && fuzz::WellFormed(value);
        values.push_back(value);
    }
    const std::string result = table.Expand(text);
    for (std::size_t i = 0; i < std::size(kTokens); ++i) expected = Replaced(expected, kTokens[i], values[i]);
    // Values from the system are whole characters; a value cut inside one may join the next byte.
    if (!wellFormed) return 0;
    FUZZ_CHECK(fuzz::TrailBytes(result) == fuzz::TrailBytes(expected));
    FUZZ_CHECK(result == expected);
    return 0;
}
