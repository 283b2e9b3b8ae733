#include "check/script_encoding.h"

#include <algorithm>

namespace {

bool IsLead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool IsTrail(unsigned char b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }
// Bytes that stand alone: ASCII and the half-width katakana.
bool IsSingle(unsigned char b) { return b < 0x80 || (b >= 0xA1 && b <= 0xDF); }

// Byte offset of the first byte that does not step as Shift-JIS, or npos.
std::size_t FirstNonShiftJis(const std::string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (IsLead(b) && i + 1 < text.size() && IsTrail(static_cast<unsigned char>(text[i + 1]))) ++i;
        else if (!IsSingle(b)) return i;
    }
    return std::string::npos;
}

// Whether the text is well-formed UTF-8 with at least one multi-byte character. Shift-JIS
// text with any double-byte character never is (its lead bytes are UTF-8 continuation bytes).
bool LooksLikeUtf8(const std::string& text) {
    bool multiByte = false;
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        const int extra = b < 0x80 ? 0 : (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : -1;
        if (extra < 0 || text.size() - i <= static_cast<std::size_t>(extra)) return false;
        for (int k = 1; k <= extra; ++k)
            if ((static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]) & 0xC0) != 0x80) return false;
        multiByte = multiByte || extra > 0;
        i += static_cast<std::size_t>(extra) + 1;
    }
    return multiByte;
}

int LineOf(const std::string& text, std::size_t offset) {
    return 1 + static_cast<int>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(offset), '\n'));
}

bool IsUtf16(const std::string& bytes) {
    if (bytes.compare(0, 2, "\xFF\xFE") == 0 || bytes.compare(0, 2, "\xFE\xFF") == 0) return true;
    // Without an order mark: ASCII text in UTF-16 has a zero byte beside every letter.
    return bytes.size() >= 4 && (bytes[1] == '\0' || bytes[0] == '\0');
}

void CheckLineEnds(const std::string& bytes, Findings& findings) {
    int crLf = 0, bare = 0, firstBare = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
            ++crLf;
            ++i;
        } else if (bytes[i] == '\n' || bytes[i] == '\r') {
            if (!bare++) firstBare = LineOf(bytes, i);
        }
    }
    if (crLf && bare)
        findings.Warning(firstBare, "mixed line ends: " + std::to_string(bare) + " line(s) end without CR LF, " +
                                        std::to_string(crLf) + " with it; save the script with CR LF throughout");
}

}  // namespace

bool CheckScriptEncoding(const std::string& bytes, Findings& findings) {
    if (IsUtf16(bytes)) {
        findings.Error(1, "the script is saved as UTF-16; setup reads only Shift-JIS and sees no section at all");
        return false;
    }
    std::string text = bytes;
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        findings.Error(1,
                       "the script starts with a UTF-8 byte order mark; the system reads it as part of the "
                       "first section's name, so that section is lost");
        text.erase(0, 3);
    }
    const std::size_t skipped = bytes.size() - text.size();
    if (LooksLikeUtf8(text)) {
        const auto first = std::find_if(text.begin(), text.end(), [](char ch) { return (ch & 0x80) != 0; });
        findings.Error(LineOf(bytes, static_cast<std::size_t>(first - text.begin()) + skipped),
                       "the script is saved as UTF-8, not Shift-JIS; every Japanese text shows garbled");
    } else if (const std::size_t bad = FirstNonShiftJis(text); bad != std::string::npos) {
        findings.Error(LineOf(bytes, bad + skipped), "bytes that are not Shift-JIS text");
    }
    CheckLineEnds(bytes, findings);
    return true;
}
