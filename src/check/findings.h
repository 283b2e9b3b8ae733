#pragma once
// What the checker found: one line a person can act on, or the same as JSON for build pipelines.
#include <string>
#include <vector>

enum class Severity { Warning, Error };

struct Finding {
    int line = 0;  // 0: the script as a whole
    Severity severity = Severity::Error;
    std::string text;
};

class Findings {
public:
    void Error(int line, std::string text) { items_.push_back({line, Severity::Error, std::move(text)}); }
    void Warning(int line, std::string text) { items_.push_back({line, Severity::Warning, std::move(text)}); }
    const std::vector<Finding>& Items() const { return items_; }
    bool HasErrors() const;
    bool HasWarnings() const;
    // In line order; findings of one line keep the order they were found in.
    void Sort();

private:
    std::vector<Finding> items_;
};

// "SETUP.INI:23: error: [CopyFile] File3: ..." lines.
std::string FindingsText(const Findings& findings, const std::string& fileName);
// A UTF-8 JSON array of {"file", "line", "severity", "section", "key", "message"} objects;
// section and key name the place the message starts with, or are empty.
std::string FindingsJson(const Findings& findings, const std::string& fileName);
// A UTF-8 JSON string literal of a Shift-JIS text: quotes, backslashes and control characters
// escaped, a byte that begins no character kept as the text \xHH.
std::string JsonString(const std::string& text);
// A script text as findings quote it.
std::string Quoted(const std::string& text);
// "[Section] Key: " as findings start.
std::string Where(const std::string& section, const std::string& key);
