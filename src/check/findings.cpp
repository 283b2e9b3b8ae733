#include "check/findings.h"

#include <algorithm>
#include <cstdio>

#include "engine/code_page.h"

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
    std::string out = "\"";
    const CodePage& codePage = CurrentCodePage();
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char ch = text[i];
        const auto byte = static_cast<unsigned char>(ch);
        if (codePage.IsLeadByte(byte) && i + 1 < text.size()) {
            // A trail byte 0x5C is part of its character, not a backslash to escape.
            out += text.substr(i++, 2);
        } else if (ch == '"' || ch == '\\') {
            out += '\\';
            out += ch;
        } else if (byte < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            out += escaped;
        } else {
            out += ch;
        }
    }
    return out + "\"";
}

std::string FindingsJson(const Findings& findings, const std::string& fileName) {
    std::string json = "[";
    const char* separator = "\n";
    for (const Finding& f : findings.Items()) {
        json += separator;
        json += "  {\"file\": " + JsonString(fileName) + ", \"line\": " + std::to_string(f.line) +
                ", \"severity\": \"" + SeverityWord(f.severity) + "\", \"message\": " + JsonString(f.text) + "}";
        separator = ",\n";
    }
    return json + (findings.Items().empty() ? "]\n" : "\n]\n");
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string Where(const std::string& section, const std::string& key) {
    return "[" + section + "] " + (key.empty() ? "" : key + ": ");
}
