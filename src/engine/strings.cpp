#include "engine/strings.h"

#include "engine/code_page.h"

std::string LeftStr(const std::string& text, int n) {
    if (n <= 0) return "";
    return text.substr(0, static_cast<std::size_t>(n));
}

std::string RightStr(const std::string& text, int n) {
    if (n <= 0) return "";
    std::size_t count = static_cast<std::size_t>(n);
    return count >= text.size() ? text : text.substr(text.size() - count);
}

std::string MidStr(const std::string& text, int position) {
    if (position < 1) position = 1;
    std::size_t start = static_cast<std::size_t>(position - 1);
    return start >= text.size() ? "" : text.substr(start);
}

std::string MapString(const std::string& text, unsigned flags) { return CurrentCodePage().Map(text, flags); }

std::string GetField(const std::string& text, const std::string& separator, int n) {
    if (n < 1) return "";
    if (separator.size() != 1) return n == 1 ? text : "";
    std::size_t start = 0;
    for (int field = 1; field < n; ++field) {
        std::size_t next = text.find(separator[0], start);
        if (next == std::string::npos) return "";
        start = next + 1;
    }
    std::size_t end = text.find(separator[0], start);
    return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

int FindText(const std::string& needle, const std::string& text) {
    if (needle.empty()) return 0;
    // Every match is a byte match: the plain search finds the first candidate quickly, and
    // only from there are characters stepped so a match never starts on a trail byte.
    const std::size_t first = text.find(needle);
    if (first == std::string::npos) return 0;
    const CodePage& cp = CurrentCodePage();
    std::size_t p = 0;
    while (p < first) p += cp.IsLeadByte(static_cast<unsigned char>(text[p])) ? 2 : 1;
    for (; p < text.size(); ++p) {
        if (text.compare(p, needle.size(), needle) == 0) return static_cast<int>(p + 1);
        if (cp.IsLeadByte(static_cast<unsigned char>(text[p]))) ++p;
    }
    return 0;
}

int ContainsText(const std::string& needle, const std::string& text) {
    return FindText(MapString(needle, kMapUpperCase), MapString(text, kMapUpperCase));
}

bool SameText(const std::string& a, const std::string& b) {
    return MapString(a, kMapUpperCase) == MapString(b, kMapUpperCase);
}

bool IsCharAt(const std::string& text, std::size_t index, char c) {
    const CodePage& cp = CurrentCodePage();
    std::size_t p = 0;
    while (p < index) p += cp.IsLeadByte(static_cast<unsigned char>(text[p])) ? 2 : 1;
    return p == index && index < text.size() && text[index] == c;
}

bool EndsWithChar(const std::string& text, char c) { return !text.empty() && IsCharAt(text, text.size() - 1, c); }

bool IsPathDelimiterAt(const std::string& text, std::size_t index) { return IsCharAt(text, index, '\\'); }

bool EndsWithPathDelimiter(const std::string& text) { return EndsWithChar(text, '\\'); }

std::string ZeroPadded(long long value, int width) {
    const bool negative = value < 0;
    std::string digits =
        std::to_string(negative ? 0 - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value));
    const std::size_t room = width > negative ? static_cast<std::size_t>(width - negative) : 0;
    if (digits.size() < room) digits.insert(0, room - digits.size(), '0');
    return negative ? "-" + digits : digits;
}
