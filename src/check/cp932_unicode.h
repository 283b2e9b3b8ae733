#pragma once
// Shift-JIS (code page 932) texts as UTF-8, for output that tools outside Windows read.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

extern const std::uint16_t kCp932DoubleByte[60][189];

// The character at text[at]: its code point and length in bytes, or code point -1 and
// length 1 for a byte that begins no character of the code page.
struct Cp932Char {
    long codePoint;
    std::size_t length;
};
Cp932Char DecodeCp932(const std::string& text, std::size_t at);

void AppendUtf8(std::string& out, long codePoint);

// The whole text in UTF-8; a byte that begins no character is kept as the text \xHH.
std::string Cp932ToUtf8(const std::string& text);
// A UTF-8 text in Shift-JIS, or nullopt when it is no UTF-8 or holds a character that code
// page 932 lacks. Of two codes for one character it takes the one Windows writes.
std::optional<std::string> Utf8ToCp932(const std::string& text);
// The text \xHH of one byte.
std::string ByteEscape(unsigned char byte);
