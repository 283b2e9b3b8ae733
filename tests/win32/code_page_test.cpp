// The built-in code page 932 table must agree with what Windows reports, or native
// tests would prove nothing about the real program.
#include <windows.h>

#include <gtest/gtest.h>

#include "check/cp932_unicode.h"
#include "engine/code_page_932_table.h"
#include "engine/code_page_win.h"

namespace {

std::string Char(unsigned code) {
    std::string s;
    if (code > 0xFF) s += static_cast<char>(code >> 8);
    s += static_cast<char>(code & 0xFF);
    return s;
}

std::string Hex(const std::string& s) {
    std::string out;
    char b[4];
    for (unsigned char c : s) {
        wsprintfA(b, "%02X", c);
        out += b;
    }
    return out;
}

// Only characters the code page defines; unassigned codes map to whatever Windows picks.
bool IsDefined(const std::string& c) {
    wchar_t wide[4];
    int n = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, c.data(), static_cast<int>(c.size()), wide, 4);
    if (n != 1) return false;
    char back[4];
    BOOL lossy = FALSE;
    int m = WideCharToMultiByte(932, 0, wide, 1, back, 4, nullptr, &lossy);
    return !lossy && std::string(back, static_cast<std::size_t>(m)) == c;
}

}  // namespace

TEST(CodePageAgreement, LeadBytes) {
    const Cp932Table table;
    const SystemCodePage system;
    for (unsigned b = 0; b < 256; ++b)
        EXPECT_EQ(table.IsLeadByte(static_cast<unsigned char>(b)), system.IsLeadByte(static_cast<unsigned char>(b)))
            << b;
}

TEST(CodePageAgreement, UpperCaseAndFullWidthOfEveryCharacter) {
    const Cp932Table table;
    const SystemCodePage system;
    std::vector<unsigned> codes;
    for (unsigned b = 0x20; b < 0x100; ++b)
        if (!table.IsLeadByte(static_cast<unsigned char>(b))) codes.push_back(b);
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
        if (!table.IsLeadByte(static_cast<unsigned char>(lead))) continue;
        for (unsigned trail = 0x40; trail <= 0xFC; ++trail)
            if (trail != 0x7F) codes.push_back(lead << 8 | trail);
    }
    int upperDiffs = 0, fullDiffs = 0;
    for (unsigned code : codes) {
        const std::string c = Char(code);
        if (!IsDefined(c)) continue;
        if (table.Map(c, kMapUpperCase) != system.Map(c, kMapUpperCase) && ++upperDiffs < 10)
            ADD_FAILURE() << "upper case differs for 0x" << std::hex << code << ": table "
                          << Hex(table.Map(c, kMapUpperCase)) << ", system " << Hex(system.Map(c, kMapUpperCase));
        if (code < 0x100 && table.Map(c, kMapFullWidth) != system.Map(c, kMapFullWidth) && ++fullDiffs < 10)
            ADD_FAILURE() << "full width differs for 0x" << std::hex << code << ": table "
                          << Hex(table.Map(c, kMapFullWidth)) << ", system " << Hex(system.Map(c, kMapFullWidth));
    }
    EXPECT_EQ(upperDiffs, 0);
    EXPECT_EQ(fullDiffs, 0);
}

// The checker's UTF-8 output decodes every character the way Windows does.
TEST(CodePageAgreement, UnicodeOfEveryCharacter) {
    int compared = 0;
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
        if (lead >= 0xA0 && lead < 0xE0) continue;
        for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
            const std::string c = Char(lead << 8 | trail);
            if (trail == 0x7F || !IsDefined(c)) continue;
            wchar_t wide[2] = {};
            MultiByteToWideChar(932, 0, c.data(), 2, wide, 2);
            const Cp932Char decoded = DecodeCp932(c, 0);
            EXPECT_EQ(decoded.codePoint, static_cast<long>(wide[0])) << Hex(c);
            EXPECT_EQ(decoded.length, 2u) << Hex(c);
            ++compared;
        }
    }
    EXPECT_GT(compared, 7000);
}

TEST(CodePageAgreement, UpperCaseOfWholeTextsAsTheSystemMapsThem) {
    const SystemCodePage system;
    auto bySystem = [](const std::string& text) {
        char buffer[512] = {};
        LCMapStringA(LOCALE_SYSTEM_DEFAULT, LCMAP_UPPERCASE, text.c_str(), static_cast<int>(text.size()), buffer,
                     sizeof(buffer) - 1);
        return std::string(buffer);
    };
    std::string ascii;
    for (unsigned c = 1; c < 0x80; ++c) ascii += static_cast<char>(c);
    for (const std::string& text : {ascii, std::string("c:\\program files\\app\\f00001.dat,/s/w"),
                                    std::string("c:\\ｱﾌﾟﾘ\\ａｂｃ表\\x.dll"), std::string("")})
        EXPECT_EQ(Hex(system.Map(text, kMapUpperCase)), Hex(bySystem(text))) << text;
    EXPECT_EQ(system.Map(std::string("ab\0cd", 5), kMapUpperCase), "AB");  // the system's mapping ends at a NUL
}
