#pragma once
// Texts are code page 932 byte strings inside, whatever the system's ANSI code page: the
// package's texts and the programs' own are Japanese. On the NT family they meet Windows as
// UTF-16 through the W functions, converted here and nowhere else; the 95 family, and an NT
// system without code page 932, keep the A functions and hand the bytes over as they are.
#include <string>
#include <string_view>

struct TextBoundary {
    bool wideCalls = false;      // W functions, UTF-16 converted from code page 932
    bool systemCodePage = true;  // lead bytes and mappings asked of the system (it is 932, or a 9x)
};

// The boundary for a system: the family, its ANSI code page, and whether it knows code page 932.
TextBoundary ChooseTextBoundary(bool ntFamily, unsigned ansiCodePage, bool knowsCodePage932);

// The boundary of the running system, chosen once at start-up (tests may choose another).
const TextBoundary& CurrentTextBoundary();
void SetTextBoundary(const TextBoundary& boundary);
TextBoundary SystemTextBoundary();

inline bool WideCalls() { return CurrentTextBoundary().wideCalls; }

// Code page 932 to UTF-16 and back, as the system converts them: a character that code page
// 932 lacks comes back as '?'.
std::wstring Wide(std::string_view text);
std::string Narrow(std::wstring_view text);
