#pragma once
// Shared by the fuzz targets. A property that does not hold aborts with its text, which
// libFuzzer reports as a crash and the corpus replay as a failure.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/code_page.h"

#define FUZZ_CHECK(cond) ((cond) ? (void)0 : ::fuzz::Fail(#cond, __FILE__, __LINE__))

namespace fuzz {

[[noreturn]] inline void Fail(const char* what, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: property failed: %s\n", file, line, what);
    std::abort();
}

// The input cut at every separator byte; there is always at least one field.
inline std::vector<std::string> Split(const std::uint8_t* data, std::size_t size, char separator) {
    std::vector<std::string> fields(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (static_cast<char>(data[i]) == separator) fields.emplace_back();
        else fields.back() += static_cast<char>(data[i]);
    }
    return fields;
}

// Field i, or the empty text past the last one.
inline std::string Field(const std::vector<std::string>& fields, std::size_t i) {
    return i < fields.size() ? fields[i] : std::string();
}

// The text cut into characters of the current code page: a lead byte takes the byte after it.
inline std::vector<std::string> Characters(const std::string& text) {
    std::vector<std::string> chars;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t width =
            CurrentCodePage().IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
        chars.push_back(text.substr(i, width));
        i += width;
    }
    return chars;
}

// Bytes that are the second byte of a double-byte character.
inline std::size_t TrailBytes(const std::string& text) {
    std::size_t n = 0;
    for (const std::string& c : Characters(text)) n += c.size() - 1;
    return n;
}

// Whether the text is whole code page 932 characters: every lead byte followed by a byte
// that can be a trail byte. Such text never has a comma or a delimiter as a trail byte.
inline bool WellFormed(const std::string& text) {
    for (const std::string& c : Characters(text)) {
        const auto first = static_cast<unsigned char>(c[0]);
        if (c.size() == 1 && CurrentCodePage().IsLeadByte(first)) return false;
        if (c.size() == 2) {
            const auto trail = static_cast<unsigned char>(c[1]);
            if (trail < 0x40 || trail == 0x7F || trail > 0xFC) return false;
        }
    }
    return true;
}

}  // namespace fuzz
