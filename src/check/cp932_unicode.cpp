#include "check/cp932_unicode.h"

#include <unordered_map>

namespace {

int LeadIndex(unsigned char byte) {
    if (byte >= 0x81 && byte <= 0x9F) return byte - 0x81;
    if (byte >= 0xE0 && byte <= 0xFC) return byte - 0xE0 + 0x1F;
    return -1;
}

// Code point -> Shift-JIS code. Windows writes the first code of a character, but prefers
// the IBM extension rows (FA-FC) to their NEC-selected copies (ED, EE).
const std::unordered_map<long, unsigned>& Encoder() {
    static const std::unordered_map<long, unsigned> encoder = [] {
        std::unordered_map<long, unsigned> map;
        for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
            const int index = LeadIndex(static_cast<unsigned char>(lead));
            if (index < 0) continue;
            for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
                const long code = kCp932DoubleByte[index][trail - 0x40];
                if (!code) continue;
                const auto [at, added] = map.emplace(code, lead << 8 | trail);
                if (!added && (at->second >> 8 == 0xED || at->second >> 8 == 0xEE)) at->second = lead << 8 | trail;
            }
        }
        for (unsigned byte = 0xA1; byte <= 0xDF; ++byte) map[0xFF61 + (byte - 0xA1)] = byte;
        return map;
    }();
    return encoder;
}

// The code point of the UTF-8 sequence at text[at] and its length; -1 when it is none.
Cp932Char DecodeUtf8(const std::string& text, std::size_t at) {
    const auto byte = static_cast<unsigned char>(text[at]);
    const std::size_t length = byte < 0x80 ? 1 : byte >= 0xC2 && byte < 0xE0 ? 2 : byte >= 0xE0 && byte < 0xF0 ? 3 : 0;
    if (!length || at + length > text.size()) return {-1, 1};
    long code = length == 1 ? byte : byte & (length == 2 ? 0x1F : 0x0F);
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[at + k]);
        if ((next & 0xC0) != 0x80) return {-1, 1};
        code = code << 6 | (next & 0x3F);
    }
    if (length == 3 && code < 0x800) return {-1, 1};  // an overlong form
    return {code, length};
}

}  // namespace

Cp932Char DecodeCp932(const std::string& text, std::size_t at) {
    const auto byte = static_cast<unsigned char>(text[at]);
    if (byte < 0x80) return {byte, 1};
    if (byte >= 0xA1 && byte <= 0xDF) return {0xFF61 + (byte - 0xA1), 1};  // half-width katakana
    const int lead = LeadIndex(byte);
    if (lead < 0 || at + 1 >= text.size()) return {-1, 1};
    const auto trail = static_cast<unsigned char>(text[at + 1]);
    if (trail < 0x40 || trail > 0xFC) return {-1, 1};
    const std::uint16_t code = kCp932DoubleByte[lead][trail - 0x40];
    return code ? Cp932Char{code, 2} : Cp932Char{-1, 1};
}

std::optional<std::string> Utf8ToCp932(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const Cp932Char c = DecodeUtf8(text, i);
        if (c.codePoint < 0) return std::nullopt;
        if (c.codePoint < 0x80) {
            out += static_cast<char>(c.codePoint);
        } else {
            const auto found = Encoder().find(c.codePoint);
            if (found == Encoder().end()) return std::nullopt;
            if (found->second > 0xFF) out += static_cast<char>(found->second >> 8);
            out += static_cast<char>(found->second & 0xFF);
        }
        i += c.length;
    }
    return out;
}

std::string ByteEscape(unsigned char byte) {
    const char* const digits = "0123456789ABCDEF";
    return std::string("\\x") + digits[byte >> 4] + digits[byte & 0xF];
}

std::string Cp932ToUtf8(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const Cp932Char c = DecodeCp932(text, i);
        if (c.codePoint < 0) out += ByteEscape(static_cast<unsigned char>(text[i]));
        else AppendUtf8(out, c.codePoint);
        i += c.length;
    }
    return out;
}

void AppendUtf8(std::string& out, long codePoint) {
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}
