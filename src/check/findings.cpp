#include "check/findings.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "check/cp932_unicode.h"

namespace {

const char* SeverityWord(Severity severity) { return severity == Severity::Error ? "error" : "warning"; }

}  // namespace

bool Findings::HasErrors() const {
    return std::any_of(items_.begin(), items_.end(), [](const Finding& f) { return f.severity == Severity::Error; });
}

bool Findings::HasWarnings() const {
    return std::any_of(items_.begin(), items_.end(), [](const Finding& f) { return f.severity == Severity::Warning; });
}

void Findings::Sort() {
    std::stable_sort(items_.begin(), items_.end(), [](const Finding& a, const Finding& b) { return a.line < b.line; });
}

std::string FindingsText(const Findings& findings, const std::string& fileName) {
    std::string text;
    for (const Finding& f : findings.Items())
        text += fileName + ":" + std::to_string(f.line) + ": " + SeverityWord(f.severity) + ": " + f.text + "\n";
    return text;
}

std::string JsonString(const std::string& text) {
    // JSON is UTF-8, the script's texts are Shift-JIS: every character is converted, and a
    // byte that begins none is written as the text \xHH, never dropped.
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const Cp932Char c = DecodeCp932(text, i);
        if (c.codePoint < 0) {
            out += "\\" + ByteEscape(static_cast<unsigned char>(text[i]));
        } else if (c.codePoint == '"' || c.codePoint == '\\') {
            out += '\\';
            out += static_cast<char>(c.codePoint);
        } else if (c.codePoint < 0x20 || c.codePoint == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04lx", c.codePoint);
            out += escaped;
        } else {
            AppendUtf8(out, c.codePoint);
        }
        i += c.length;
    }
    return out + "\"";
}

namespace {

// The section and key a finding's text starts with, as Where writes them; empty when none.
std::pair<std::string, std::string> PlaceOf(const std::string& text) {
    const std::size_t close = text.find("] ");
    if (text.empty() || text[0] != '[' || close == std::string::npos) return {};
    const std::string rest = text.substr(close + 2);
    const std::size_t colon = rest.find(": ");
    const bool key = colon != std::string::npos && colon > 0 && rest.substr(0, colon).find(' ') == std::string::npos;
    return {text.substr(1, close - 1), key ? rest.substr(0, colon) : ""};
}

}  // namespace

std::string FindingsJson(const Findings& findings, const std::string& fileName) {
    std::string json = "[";
    const char* separator = "\n";
    for (const Finding& f : findings.Items()) {
        const auto [section, key] = PlaceOf(f.text);
        json += separator;
        json += "  {\"file\": " + JsonString(fileName) + ", \"line\": " + std::to_string(f.line) +
                ", \"severity\": \"" + SeverityWord(f.severity) + "\", \"section\": " + JsonString(section) +
                ", \"key\": " + JsonString(key) + ", \"message\": " + JsonString(f.text) + "}";
        separator = ",\n";
    }
    return json + (findings.Items().empty() ? "]\n" : "\n]\n");
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string Where(const std::string& section, const std::string& key) {
    return "[" + section + "] " + (key.empty() ? "" : key + ": ");
}
