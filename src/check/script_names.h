#pragma once
// The sections and keys setup reads, and the nearest known name for a misspelt one.
#include <string>
#include <vector>

struct SectionRule {
    const char* name;
    std::vector<const char*> keys;      // read by exactly this name
    std::vector<const char*> numbered;  // read as prefix1, prefix2, ...
    int highestNumber = 0;              // 0: up to the first missing one; else all of 1..n are read
};

const std::vector<SectionRule>& SectionRules();
// The rule of a section, ignoring letter case as the system does, or nullptr.
const SectionRule* FindSectionRule(const std::string& name);

// A key's numbered prefix and its number ("File12" -> "File", 12); number 0 when it has none.
struct NumberedName {
    std::string prefix;
    int number = 0;
};
NumberedName SplitNumberedName(const std::string& key);
// Whether the section's rule reads the key at all.
bool IsKnownKey(const SectionRule& rule, const std::string& key);

// The candidate nearest to the name (letter case ignored), when it is a plausible misspelling; else empty.
std::string NearestName(const std::string& name, const std::vector<std::string>& candidates);
// The names a misspelt key of the section could have meant (numbered ones with the key's number, or 1).
std::vector<std::string> KeyCandidates(const SectionRule& rule, const std::string& key);
