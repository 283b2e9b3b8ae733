#include "check/structure_rules.h"

#include <unordered_map>

#include "check/script_names.h"
#include "engine/code_page.h"
#include "engine/strings.h"

namespace {

std::vector<std::string> SectionNames() {
    std::vector<std::string> names;
    for (const SectionRule& rule : SectionRules()) names.emplace_back(rule.name);
    return names;
}

void CheckUnknownSection(const ScriptSection& section, Findings& findings) {
    const std::string hint = NearestName(section.name, SectionNames());
    // A near miss of a known name is a typo that loses the whole section; anything else may be a note.
    if (!hint.empty())
        findings.Error(section.line, "unknown section [" + section.name + "]; did you mean [" + hint + "]?");
    else findings.Warning(section.line, "unknown section [" + section.name + "]: setup never reads it");
}

void CheckUnknownKey(const SectionRule& rule, const ScriptKey& key, Findings& findings) {
    const std::string where = Where(rule.name, key.name);
    const NumberedName split = SplitNumberedName(key.name);
    if (rule.highestNumber && split.number > rule.highestNumber) {
        findings.Error(key.line, where + "never read: only " + split.prefix + "1 to " + split.prefix +
                                     std::to_string(rule.highestNumber) + " are");
        return;
    }
    const std::string hint = NearestName(key.name, KeyCandidates(rule, key.name));
    if (!hint.empty()) findings.Error(key.line, where + "unknown key; did you mean " + hint + "?");
    else findings.Warning(key.line, where + "unknown key: setup never reads it");
}

void CheckKeys(const ScriptSection& section, const SectionRule& rule, Findings& findings) {
    std::unordered_map<std::string, int> seen;  // upper-case key -> its first line
    for (const ScriptKey& key : section.keys) {
        if (!IsKnownKey(rule, key.name)) {
            CheckUnknownKey(rule, key, findings);
            continue;
        }
        const auto [first, added] = seen.emplace(MapString(key.name, kMapUpperCase), key.line);
        if (!added)
            findings.Warning(key.line, Where(rule.name, key.name) + "repeated; the system reads only line " +
                                           std::to_string(first->second));
    }
}

// Numbered keys beyond the end of a list: the first prefix counts the entries, the others follow it.
void CheckGaps(const ScriptFile& script, const ScriptSection& section, const SectionRule& rule, Findings& findings) {
    if (rule.numbered.empty() || rule.highestNumber) return;
    const std::string counter = rule.numbered.front();
    const std::size_t count = NumberedKeys(script, rule.name, counter).size();
    for (const char* prefix : rule.numbered) {
        for (const ScriptKey& key : section.keys) {
            const NumberedName split = SplitNumberedName(key.name);
            if (split.number <= static_cast<int>(count) || key.value.empty() || !SameText(split.prefix, prefix))
                continue;
            const std::string end = counter + std::to_string(count + 1);
            findings.Error(key.line, Where(rule.name, key.name) + "never read, nor any later " + prefix +
                                         ": the list ends at " + end + ", which is " +
                                         (script.Find(rule.name, end) ? "empty" : "missing"));
            break;
        }
    }
}

}  // namespace

void CheckStructure(const ScriptFile& script, Findings& findings) {
    std::unordered_map<std::string, int> seen;  // upper-case section -> its first line
    for (const ScriptSection& section : script.Sections()) {
        const auto [first, added] = seen.emplace(MapString(section.name, kMapUpperCase), section.line);
        if (!added) {
            findings.Warning(section.line, "[" + section.name + "] again: the system reads only the one at line " +
                                               std::to_string(first->second));
            continue;
        }
        const SectionRule* rule = FindSectionRule(section.name);
        if (!rule) {
            CheckUnknownSection(section, findings);
            continue;
        }
        CheckKeys(section, *rule, findings);
        CheckGaps(script, section, *rule, findings);
    }
}
