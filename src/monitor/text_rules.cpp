#include "monitor/text_rules.h"

#include <cfenv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Length of the longest number at the start of text (sign, digits, one point,
// exponent); 0 when no digit is found.
std::size_t NumberLength(std::string_view text) {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
    }
    if (digits == 0) return 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
        if (j < text.size() && IsDigit(text[j])) {
            while (j < text.size() && IsDigit(text[j])) ++j;
            i = j;
        }
    }
    return i;
}

std::string WithoutBlanks(std::string_view text) {
    std::string result;
    for (char c : text) {
        if (!IsBlank(c)) result += c;
    }
    return result;
}

std::string TwoDigits(int value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d", value);
    return buffer;
}

std::string LowerAscii(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return result;
}

std::string SingleLine(const std::string& value) {
    std::string result = value;
    for (char& c : result) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    return result;
}

}  // namespace

bool IsCp932LeadByte(unsigned char byte) { return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC); }

bool IsNumericText(std::string_view text) {
    std::size_t begin = 0;
    while (begin < text.size() && IsBlank(text[begin])) ++begin;
    std::size_t end = begin + NumberLength(text.substr(begin));
    if (end == begin) return false;
    while (end < text.size() && IsBlank(text[end])) ++end;
    return end == text.size();
}

std::optional<int> LeadingNumber(std::string_view text) {
    std::string compact = WithoutBlanks(text);
    std::string number = compact.substr(0, NumberLength(compact));
    if (number.empty()) return 0;
    double value = std::strtod(number.c_str(), nullptr);
    std::fesetround(FE_TONEAREST);
    double rounded = std::nearbyint(value);
    if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0)) return std::nullopt;
    return static_cast<int>(rounded);
}

std::optional<bool> ParseFlag(std::string_view text) {
    std::string lower = LowerAscii(text);
    if (lower == "true") return true;
    if (lower == "false") return false;
    if (!IsNumericText(text)) return std::nullopt;
    return std::strtod(std::string(text).c_str(), nullptr) != 0.0;
}

const char* FlagText(bool value) { return value ? "True" : "False"; }

std::string IntervalEntry(int minutes) { return LastColumns(std::to_string(minutes), 3) + "分"; }

std::string TrimBlanks(std::string_view text) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && IsBlank(text[begin])) ++begin;
    while (end > begin && IsBlank(text[end - 1])) --end;
    return std::string(text.substr(begin, end - begin));
}

std::string LastColumns(const std::string& number, std::size_t columns) {
    std::string padded = std::string(columns, ' ') + number;
    return padded.substr(padded.size() - columns);
}

std::optional<int> IntervalMinutes(std::string_view text) {
    // Only the leading number counts, so a "分" byte pair that straddles two
    // characters cannot change the result.
    static const std::string kMinute = "分";
    std::string kept = TrimBlanks(text);
    for (std::size_t at = kept.find(kMinute); at != std::string::npos; at = kept.find(kMinute, at)) {
        kept.erase(at, kMinute.size());
    }
    return LeadingNumber(kept);
}

std::string FormatTimestamp(const LocalTime& t) {
    return std::to_string(t.year) + "/" + TwoDigits(t.month) + "/" + TwoDigits(t.day) + " " + TwoDigits(t.hour) + ":" +
           TwoDigits(t.minute) + ":" + TwoDigits(t.second);
}

std::string OutputFileText(const std::string& timestamp, const std::string& globalIP, const std::string& hostName,
                           const std::string& localIP) {
    return "Get Date Time     : " + timestamp + "\r\n" + "Global IP Address : " + SingleLine(globalIP) + "\r\n" +
           "Host Name         : " + SingleLine(hostName) + "\r\n" + "Local  IP Address : " + SingleLine(localIP) +
           "\r\n";
}

std::string ClipForDisplay(const std::string& text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) return text;
    std::size_t end = 0;
    while (end < maxBytes) {
        std::size_t width = IsCp932LeadByte(static_cast<unsigned char>(text[end])) ? 2 : 1;
        if (end + width > maxBytes) break;
        end += width;
    }
    return text.substr(0, end);
}
