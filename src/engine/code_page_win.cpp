#include "engine/code_page_win.h"

#include <windows.h>

#include "system_text_win.h"

#include <algorithm>
#include <vector>

namespace {

bool IsAscii(const std::string& text) {
    // No NUL either: the system's mapping ends the text there.
    return std::all_of(text.begin(), text.end(), [](char c) { return c != 0 && static_cast<unsigned char>(c) < 0x80; });
}

std::string AsciiUpper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

}  // namespace

SystemCodePage::SystemCodePage() {
    std::string ascii;
    for (char c = 1; c > 0; ++c) ascii += c;
    plainAsciiUpper_ = MapBySystem(ascii, kMapUpperCase) == AsciiUpper(ascii);
    CPINFO info{};
    if (!GetCPInfo(CP_ACP, &info)) return;
    for (int i = 0; i + 1 < MAX_LEADBYTES && info.LeadByte[i] != 0; i += 2)
        for (unsigned b = info.LeadByte[i]; b <= info.LeadByte[i + 1] && b < 256; ++b) lead_[b] = true;
}

bool SystemCodePage::IsLeadByte(unsigned char byte) const { return lead_[byte]; }

std::string SystemCodePage::Map(const std::string& text, unsigned flags) const {
    if (flags == kMapUpperCase && plainAsciiUpper_ && IsAscii(text)) return AsciiUpper(text);
    return MapBySystem(text, flags);
}

std::string SystemCodePage::MapBySystem(const std::string& text, unsigned flags) const {
    const LCID locale = LOCALE_SYSTEM_DEFAULT;
    int size = LCMapStringA(locale, flags, text.c_str(), static_cast<int>(text.size()), nullptr, 0);
    if (size == 0) return text;
    std::vector<char> buffer(static_cast<std::size_t>(size) + 1, '\0');
    if (LCMapStringA(locale, flags, text.c_str(), static_cast<int>(text.size()), buffer.data(), size) == 0) return text;
    return std::string(buffer.data());
}

void UseSystemText() {
    SetTextBoundary(SystemTextBoundary());
    // Off code page 932 the system's lead bytes and mappings are another language's: the
    // built-in 932 table, current from the start, stays.
    if (!CurrentTextBoundary().systemCodePage) return;
    static const SystemCodePage system;
    SetCurrentCodePage(system);
}
