#pragma once
// Built-in code page 932 (Shift-JIS) tables, for builds that cannot ask Windows.
#include <cstddef>
#include <string>

#include "engine/code_page.h"

struct CodeMapping {
    unsigned from;
    unsigned to;
};

extern const CodeMapping kCp932UpperCase[];
extern const std::size_t kCp932UpperCaseCount;
extern const CodeMapping kCp932FullWidth[];
extern const std::size_t kCp932FullWidthCount;

class Cp932Table final : public CodePage {
public:
    bool IsLeadByte(unsigned char byte) const override;
    std::string Map(const std::string& text, unsigned flags) const override;
};
