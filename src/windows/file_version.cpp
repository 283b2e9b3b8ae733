#include "windows/file_version.h"

#include <limits>

#include "engine/strings.h"

namespace {

// The decimal value of the whole text; anything that is not a 32-bit integer counts 0.
std::int32_t DecimalValue(const std::string& text) {
    std::size_t i = (!text.empty() && (text[0] == '-' || text[0] == '+')) ? 1 : 0;
    if (i == text.size()) return 0;
    long long value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return 0;
        value = value * 10 + (text[i] - '0');
        if (value > std::numeric_limits<std::int32_t>::max()) return 0;
    }
    return static_cast<std::int32_t>(text[0] == '-' ? -value : value);
}

}  // namespace

FileVersionInfo ParseFileVersion(std::string text) {
    std::int32_t parts[3] = {};
    for (std::int32_t& part : parts) {
        const std::size_t dot = text.find('.');
        if (dot == std::string::npos) continue;  // the text stays as it is
        part = DecimalValue(text.substr(0, dot));
        text.erase(0, dot + 1);
    }
    return {parts[0], parts[1], parts[2], DecimalValue(text)};
}

std::string VersionText(const FileVersionInfo& v) {
    const std::int32_t joined = DecimalValue(std::to_string(v.minor) + std::to_string(v.release));
    return std::to_string(v.major) + "." + ZeroPadded(joined, 2) + "(Build:" + ZeroPadded(v.build, 4) + "/D3)";
}

std::string VersionCaption(const FileVersionInfo& version) { return "Kelvo Setup Version" + VersionText(version); }
