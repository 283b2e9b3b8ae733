#pragma once
#include "engine/code_page.h"

// The system ANSI code page as Windows reports it (GetCPInfo, LCMapStringA).
class SystemCodePage final : public CodePage {
public:
    SystemCodePage();
    bool IsLeadByte(unsigned char byte) const override;
    std::string Map(const std::string& text, unsigned flags) const override;

private:
    std::string MapBySystem(const std::string& text, unsigned flags) const;
    bool lead_[256] = {};
    // The locale puts ASCII into upper case as ASCII does (a Turkish one does not): such
    // text is then mapped here, without the system's three conversions a call.
    bool plainAsciiUpper_ = false;
};

// Chooses how texts meet the running system, and the code page the engine reads them in:
// the system's own on code page 932 (and on 9x), the built-in 932 table elsewhere.
void UseSystemText();
