#pragma once
// The code page the engine's byte strings are in: which bytes start a
// double-byte character, and the locale's upper-case and full-width mappings.
#include <string>

constexpr unsigned kMapUpperCase = 0x200;     // LCMAP_UPPERCASE
constexpr unsigned kMapFullWidth = 0x800000;  // LCMAP_FULLWIDTH

class CodePage {
public:
    virtual ~CodePage() = default;
    virtual bool IsLeadByte(unsigned char byte) const = 0;
    // Maps text as the system locale would; returns the text unchanged when it cannot.
    virtual std::string Map(const std::string& text, unsigned flags) const = 0;
};

// The code page of this process; set once at start-up (the built-in 932 table until then).
const CodePage& CurrentCodePage();
void SetCurrentCodePage(const CodePage& codePage);
