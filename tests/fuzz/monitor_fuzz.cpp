// The monitor's texts from outside: a web server's answer, the settings file's values
// (numbers, flags, the interval) and what is shown and written from them.
// Input: a selector byte, then the text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz_support.h"
#include "monitor/address_rules.h"
#include "monitor/countdown.h"
#include "monitor/layout.h"
#include "monitor/text_rules.h"

namespace {

void CheckAnswer(const std::string& answer) {
    // An answer taken for an address holds nothing but digits, dots, blanks and one sign.
    if (!IsValidAddressAnswer(answer)) return;
    FUZZ_CHECK(answer.find_first_not_of("0123456789. \t\r\n\v\f+-") == std::string::npos);
    FUZZ_CHECK(answer.find_first_of("0123456789") != std::string::npos);
}

void CheckOutput(const std::string& value) {
    // Whatever the values hold, the output file has exactly four CR LF lines.
    const std::string text = OutputFileText(FormatTimestamp({2026, 12, 8, 9, 5, 0}), value, value, value);
    std::size_t lines = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') FUZZ_CHECK(i > 0 && text[i - 1] == '\r');
        if (text[i] == '\r') FUZZ_CHECK(i + 1 < text.size() && text[i + 1] == '\n');
        lines += text[i] == '\n';
    }
    FUZZ_CHECK(lines == 4);
}

void CheckSettings(const std::string& value) {
    const auto number = LeadingNumber(value);
    const auto flag = ParseFlag(value);
    if (IsNumericText(value)) FUZZ_CHECK(flag.has_value());
    if (flag && IsNumericText(value)) FUZZ_CHECK(*flag == (std::strtod(value.c_str(), nullptr) != 0.0));
    if (const auto minutes = IntervalMinutes(value)) {
        const int scan = *minutes < 1 ? 1 : *minutes;  // as the settings reading clamps it
        const Countdown c = ComputeCountdown(scan, static_cast<long long>(value.size()) * 37);
        FUZZ_CHECK(c.percent >= 0 && c.percent <= 100);
        FUZZ_CHECK(c.seconds >= 0 && c.seconds < 60);
        CountdownText(c.minutes, c.seconds);
        FUZZ_CHECK(BarWidth(kGraphFullWidth, c.percent) <= kGraphFullWidth);
        IntervalEntry(scan);
    }
    if (number) LastColumns(std::to_string(*number), 3);
}

void CheckClip(const std::string& text, std::size_t max) {
    // The clipped text is a prefix that never ends inside a double-byte character.
    const std::string clipped = ClipForDisplay(text, max);
    FUZZ_CHECK(clipped.size() <= max || clipped == text);
    FUZZ_CHECK(text.compare(0, clipped.size(), clipped) == 0);
    if (clipped.size() < text.size()) {
        std::size_t at = 0;
        while (at < clipped.size()) at += IsCp932LeadByte(static_cast<unsigned char>(text[at])) ? 2 : 1;
        FUZZ_CHECK(at == clipped.size());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    switch (data[0] % 4) {
        case 0: CheckAnswer(text); break;
        case 1: CheckOutput(text); break;
        case 2: CheckSettings(text); break;
        case 3: CheckClip(text, data[0] / 4); break;
    }
    return 0;
}
