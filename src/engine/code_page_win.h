#pragma once
#include "engine/code_page.h"

// The system ANSI code page as Windows reports it (GetCPInfo, LCMapStringA).
class SystemCodePage final : public CodePage {
public:
    SystemCodePage();
    bool IsLeadByte(unsigned char byte) const override;
    std::string Map(const std::string& text, unsigned flags) const override;

private:
    bool lead_[256] = {};
};

// Builds the system code page once and makes it the process's current one.
void UseSystemCodePage();
