// The command line of unattended runs and the lines of the run log.
// Input: the arguments, each ending in 0x00.
// Properties: every argument that is not a switch, nor the value of /dir or /log, is
// kept in order; a log entry is one stamped line per non-empty line of its text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/unattended.h"
#include "fuzz_support.h"

namespace {

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

void CheckSwitches(const std::vector<std::string>& args) {
    const Switches s = ParseSwitches(args);
    std::vector<std::string> kept;
    bool any = false, understood = true;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i].empty() || args[i][0] != '/') {
            kept.push_back(args[i]);
            continue;
        }
        any = true;
        const std::string name = Lower(args[i]);
        const bool takesValue = name == "/dir" || name == "/log";
        if (takesValue && i + 1 < args.size() && !args[i + 1].empty()) ++i;
        else if (takesValue || (name != "/quiet" && name != "/passive" && name != "/norestart" &&
                                name != "/forcerestart" && name != "/?"))
            understood = false;
    }
    FUZZ_CHECK(s.arguments == kept);
    FUZZ_CHECK(s.any == any);
    FUZZ_CHECK(s.bad.empty() == understood);
    FUZZ_CHECK(s.Unattended() == (s.ui != RunUi::Full));
}

void CheckLogEntry(const std::string& text) {
    const std::string stamp = "2026/12/08 10:00:00";
    const std::string entry = LogEntry(stamp, text);
    std::size_t expected = 0;
    for (std::string line : fuzz::Split(reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), '\n')) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        expected += !line.empty();
    }
    std::size_t lines = 0;
    for (std::size_t start = 0; start < entry.size();) {
        const std::size_t end = entry.find("\r\n", start);
        FUZZ_CHECK(end != std::string::npos);
        FUZZ_CHECK(entry.compare(start, stamp.size(), stamp) == 0);
        FUZZ_CHECK(entry.find('\n', start) == end + 1);
        ++lines;
        start = end + 2;
    }
    FUZZ_CHECK(lines == expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> args = fuzz::Split(data, size, '\0');
    args.pop_back();  // the text after the last 0x00
    CheckSwitches(args);
    const std::string text(reinterpret_cast<const char*>(data), size);
    CheckLogEntry(text);
    std::uint32_t bits = 0;
    for (std::size_t i = 0; i < size && i < 4; ++i) bits = bits << 8 | data[i];
    const int code = static_cast<int>(bits);
    ExitCodeText(code);
    AnswerWord(code);
    RunOutcome outcome{code % 5, (code & 8) != 0, code & 3, (code & 16) != 0, (code & 32) != 0};
    const int exit = ExitCodeFor(outcome);
    FUZZ_CHECK(outcome.stopCode == 0 || exit == outcome.stopCode);
    return 0;
}
