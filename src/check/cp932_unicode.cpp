#include "check/cp932_unicode.h"

namespace {

int LeadIndex(unsigned char byte) {
    if (byte >= 0x81 && byte <= 0x9F) return byte - 0x81;
    if (byte >= 0xE0 && byte <= 0xFC) return byte - 0xE0 + 0x1F;
    return -1;
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
