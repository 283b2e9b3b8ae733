#include "engine/code_page.h"

#include <algorithm>

#include "engine/code_page_932_table.h"

namespace {

const Cp932Table kBuiltIn;
const CodePage* current = &kBuiltIn;

unsigned Lookup(const CodeMapping* table, std::size_t count, unsigned code) {
    const CodeMapping* end = table + count;
    const CodeMapping* found =
        std::lower_bound(table, end, code, [](const CodeMapping& m, unsigned c) { return m.from < c; });
    return (found != end && found->from == code) ? found->to : code;
}

void AppendCode(std::string& out, unsigned code) {
    if (code > 0xFF) out += static_cast<char>(code >> 8);
    out += static_cast<char>(code & 0xFF);
}

}  // namespace

const CodePage& CurrentCodePage() { return *current; }
void SetCurrentCodePage(const CodePage& codePage) { current = &codePage; }

bool Cp932Table::IsLeadByte(unsigned char byte) const {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

std::string Cp932Table::Map(const std::string& text, unsigned flags) const {
    std::string out;
    out.reserve(text.size() * 2);
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned code = static_cast<unsigned char>(text[i]);
        if (IsLeadByte(static_cast<unsigned char>(code)) && i + 1 < text.size())
            code = (code << 8) | static_cast<unsigned char>(text[++i]);
        if (flags & kMapFullWidth) code = Lookup(kCp932FullWidth, kCp932FullWidthCount, code);
        if (flags & kMapUpperCase) code = Lookup(kCp932UpperCase, kCp932UpperCaseCount, code);
        AppendCode(out, code);
    }
    return out;
}
