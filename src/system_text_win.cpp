#include "system_text_win.h"

#include <windows.h>

namespace {

constexpr UINT kJapanese = 932;

TextBoundary current;

}  // namespace

TextBoundary ChooseTextBoundary(bool ntFamily, unsigned ansiCodePage, bool knowsCodePage932) {
    // A 9x system converts nothing for the W functions it lacks, and an NT system without the
    // Japanese tables cannot convert: both stay as they always were.
    if (!ntFamily || !knowsCodePage932) return {false, true};
    return {true, ansiCodePage == kJapanese};
}

const TextBoundary& CurrentTextBoundary() { return current; }
void SetTextBoundary(const TextBoundary& boundary) { current = boundary; }

TextBoundary SystemTextBoundary() {
    const bool ntFamily = (GetVersion() & 0x80000000u) == 0;
    return ChooseTextBoundary(ntFamily, GetACP(), IsValidCodePage(kJapanese) != FALSE);
}

std::wstring Wide(std::string_view text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    std::wstring out(static_cast<std::size_t>(size), L'\0');  // never more UTF-16 units than bytes
    const int made = MultiByteToWideChar(kJapanese, 0, text.data(), size, out.data(), size);
    out.resize(static_cast<std::size_t>(made > 0 ? made : 0));
    return out;
}

std::string Narrow(std::wstring_view text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    std::string out(static_cast<std::size_t>(size) * 2, '\0');  // at most two bytes a unit
    const int made = WideCharToMultiByte(kJapanese, 0, text.data(), size, out.data(), size * 2, nullptr, nullptr);
    out.resize(static_cast<std::size_t>(made > 0 ? made : 0));
    return out;
}
