#include "check/script_names.h"

#include <algorithm>

#include "engine/code_page.h"
#include "engine/strings.h"

namespace {

std::string Upper(const std::string& text) { return MapString(text, kMapUpperCase); }

// Edit distance with adjacent swaps, so "Flie" is one step from "File".
std::size_t Distance(const std::string& a, const std::string& b) {
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
    for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i)
        for (std::size_t j = 1; j <= b.size(); ++j) {
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (a[i - 1] != b[j - 1])});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    return d[a.size()][b.size()];
}

}  // namespace

const std::vector<SectionRule>& SectionRules() {
    static const std::vector<SectionRule> rules = {
        {"Title", {"Setup", "UnSetup", "CopyRight1", "CopyRight2", "Program", "UnSetupKey", "UnSetupDisplay"}, {}},
        {"Extend",
         {"SetupString", "UnSetupString", "SetupSpeed", "Enabled", "RejectOS", "InstallChecker", "UnSetupOption",
          "UnSetupCheckBox3", "UnSetupCheckBox4"},
         {}},
        {"DefaultFolder", {"Folder", "ReferRegistry", "ReferIniFile"}, {}},
        {"ProgramID", {"ID"}, {}},
        {"TopMessage", {}, {"Message"}, 5},
        {"Caution", {"UnInstallCheckEx", "UnInstallCheck"}, {}},
        {"EULA", {"File", "ScrollBars", "CheckBox"}, {}},
        {"Readme", {"File", "Title", "ScrollBars"}, {}},
        {"MakeFolder", {}, {"Folder"}},
        {"CopyFile", {}, {"File"}},
        {"ShortCut", {}, {"Make", "Name"}},
        {"Registry", {}, {"Key", "Name", "Value"}},
        {"IniFile", {}, {"Data"}},
        {"Relate", {}, {"Name", "File"}, 20},
        {"Support",
         {"Publisher", "URLInfoAbout", "DisplayVersion", "Contact", "HelpLink", "HelpTelephone", "Readme",
          "URLUpdateInfo", "Comments"},
         {}},
        {"DeleteRegistry", {}, {"Key"}},
        {"AddDeleteFile", {}, {"File"}},
        {"BeforeUnInstall", {"ReadmeFile", "File"}, {}},
        {"ExecuteFile", {"File"}, {}},
    };
    return rules;
}

const SectionRule* FindSectionRule(const std::string& name) {
    for (const SectionRule& rule : SectionRules())
        if (SameText(rule.name, name)) return &rule;
    return nullptr;
}

NumberedName SplitNumberedName(const std::string& key) {
    std::size_t digits = key.size();
    while (digits > 0 && key[digits - 1] >= '0' && key[digits - 1] <= '9') --digits;
    // Numbers as the runs spell them: no leading zero, and small enough to be reached.
    const std::string number = key.substr(digits);
    if (number.empty() || number[0] == '0' || number.size() > 6) return {key, 0};
    return {key.substr(0, digits), std::stoi(number)};
}

bool IsKnownKey(const SectionRule& rule, const std::string& key) {
    for (const char* name : rule.keys)
        if (SameText(name, key)) return true;
    const NumberedName split = SplitNumberedName(key);
    if (split.number == 0 || (rule.highestNumber && split.number > rule.highestNumber)) return false;
    for (const char* prefix : rule.numbered)
        if (SameText(prefix, split.prefix)) return true;
    return false;
}

std::string NearestName(const std::string& name, const std::vector<std::string>& candidates) {
    const std::string upper = Upper(name);
    std::string best;
    std::size_t bestDistance = 0;
    for (const std::string& candidate : candidates) {
        const std::size_t d = Distance(upper, Upper(candidate));
        if (best.empty() || d < bestDistance) {
            best = candidate;
            bestDistance = d;
        }
    }
    // Beyond a third of the name it is another word, not a slip of the keyboard.
    return bestDistance > 0 && bestDistance * 3 <= std::max<std::size_t>(name.size(), 3) ? best : "";
}

std::vector<std::string> KeyCandidates(const SectionRule& rule, const std::string& key) {
    std::vector<std::string> names(rule.keys.begin(), rule.keys.end());
    const NumberedName split = SplitNumberedName(key);
    for (const char* prefix : rule.numbered) names.push_back(prefix + std::to_string(split.number ? split.number : 1));
    return names;
}
