#include "install/settings_entries.h"

#include <cstdlib>

#include "engine/paths.h"
#include "engine/strings.h"

RegistryKeyText SplitRegistryKey(const std::string& keyText) {
    RegistryKeyText key{"(Cuser)", keyText};
    const bool untagged = (keyText.empty() || keyText[0] != '(') && (keyText.size() < 7 || keyText[6] != ')');
    if (!untagged) {
        key.rootTag = keyText.substr(0, 7);
        key.path = keyText.size() > 7 ? keyText.substr(7) : "";
    }
    key.path = RemovePathDelimiter(RemovePathDelimiter(key.path, "T"), "B");
    return key;
}

std::optional<std::int32_t> ParseScriptNumber(const std::string& text) {
    std::string digits = text;
    int base = 10;
    bool negative = false;
    if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) {
        negative = digits[0] == '-';
        digits.erase(0, 1);
    }
    if (!digits.empty() && digits[0] == '$') {
        base = 16;
        digits.erase(0, 1);
    }
    if (digits.empty()) return std::nullopt;
    std::uint64_t value = 0;
    for (char ch : digits) {
        int d;
        if (ch >= '0' && ch <= '9') d = ch - '0';
        else if (base == 16 && ch >= 'a' && ch <= 'f') d = ch - 'a' + 10;
        else if (base == 16 && ch >= 'A' && ch <= 'F') d = ch - 'A' + 10;
        else return std::nullopt;
        value = value * static_cast<unsigned>(base) + static_cast<unsigned>(d);
        if (value > 0xFFFFFFFFull) return std::nullopt;  // leading zeros do not count, digits beyond 32 bits do
    }
    // Hexadecimal covers all 32 bits; decimal the signed range.
    if (base == 16 && value > 0xFFFFFFFFull) return std::nullopt;
    if (base == 10 && value > (negative ? 0x80000000ull : 0x7FFFFFFFull)) return std::nullopt;
    const auto bits = static_cast<std::uint32_t>(value);
    return static_cast<std::int32_t>(negative ? 0u - bits : bits);
}

bool TakeNoDelimiterMark(std::string& value) {
    if (!ContainsText("(Pdd)", value)) return false;
    value = ReplaceToken(value, "(Pdd)", "");
    return true;
}

RegistryData TextData(const std::string& text, RegistryKind kind) {
    RegistryData data;
    data.kind = kind;
    data.text = text;
    return data;
}

std::optional<RegistryData> ParseRegistryValue(const std::string& value, bool removeDelimiter) {
    if (value.empty()) return std::nullopt;
    const std::string tag = value.substr(0, 5);
    std::string data = value.size() > 5 ? value.substr(5) : "";
    if (removeDelimiter) data = RemovePathDelimiter(data, "B");
    RegistryData result;
    if (tag == "(Int)" || tag == "(Dwd)") {
        result.kind = RegistryKind::Dword;
        result.number = static_cast<std::uint32_t>(ParseScriptNumber(data).value_or(0));
    } else if (tag == "(Bin)") {
        const auto number = ParseScriptNumber("$" + data);
        if (!number || data.empty() || data[0] == '-' || data[0] == '+' || data[0] == '$') return std::nullopt;
        result.kind = RegistryKind::Binary;
        result.number = static_cast<std::uint32_t>(*number);
    } else if (tag == "(Exp)") {
        result.kind = RegistryKind::ExpandString;
        result.text = data;
    } else if (tag == "(Str)") {
        result.text = data;
    } else {
        result.text = removeDelimiter ? RemovePathDelimiter(value, "B") : value;
    }
    return result;
}

Association ParseAssociation(const std::string& name, const std::string& file) {
    Association a;
    a.extension = GetField(name, ",", 1);
    a.description = GetField(name, ",", 2);
    if (a.description.empty()) a.description = name + " File";
    a.verb = GetField(file, ",", 1);
    a.program = GetField(file, ",", 2);
    const std::string first = GetField(file, ",", 3), second = GetField(file, ",", 4);
    a.command = a.program.find(' ') != std::string::npos ? "\"" + a.program + "\"" : a.program;
    if (!first.empty()) a.command += " " + first + " " + second;
    else if (!second.empty()) a.command += " " + second;
    a.icon = a.program + "," + GetField(file, ",", 5);
    return a;
}

std::string AssociationQuestion(const Association& a) {
    return "拡張子 *." + a.extension + " を\r\n" + a.program + "\r\nに関連付けします。よろしいですか？";
}

std::vector<std::pair<std::string, std::string>> AssociationKeys(const Association& a) {
    const std::string cls = a.ClassName();
    return {{"." + a.extension, cls},
            {cls, a.description},
            {cls + "\\DefaultIcon", a.icon},
            {cls + "\\shell\\" + a.verb + "\\command", a.command}};
}

std::string UninstallCommand(const std::string& uninstaller, const std::string& logPath) {
    // Unquoted, "C:\My Windows\UNKELVO.EXE" would start "C:\My.exe"; without a space the
    // program stays unquoted, as the entry has always been written.
    const bool space = uninstaller.find(' ') != std::string::npos;
    return (space ? "\"" + uninstaller + "\"" : uninstaller) + " \"" + logPath + "\"";
}

UninstallEntryName NameUninstallEntry(const std::string& unSetupKey, const std::string& unSetupDisplay,
                                      const std::string& unSetupTitle) {
    UninstallEntryName name{unSetupKey.empty() ? unSetupTitle : unSetupKey, unSetupDisplay};
    if (name.display.empty()) name.display = name.key;
    return name;
}

std::vector<std::pair<std::string, RegistryData>> UninstallEntryValues(
    const std::string& display, const std::string& uninstaller, const std::string& logPath,
    const std::function<std::string(const char*)>& support) {
    std::vector<std::pair<std::string, RegistryData>> values = {
        {"DisplayName", TextData(display)},
        {"UninstallString", TextData(UninstallCommand(uninstaller, logPath), RegistryKind::ExpandString)},
        {"DisplayIcon", TextData(uninstaller)},
    };
    const std::pair<const char*, RegistryKind> supportKeys[] = {
        {"Publisher", RegistryKind::String},      {"URLInfoAbout", RegistryKind::String},
        {"DisplayVersion", RegistryKind::String}, {"Contact", RegistryKind::String},
        {"HelpLink", RegistryKind::ExpandString}, {"HelpTelephone", RegistryKind::String},
        {"Readme", RegistryKind::ExpandString},   {"URLUpdateInfo", RegistryKind::String},
        {"Comments", RegistryKind::String},
    };
    for (const auto& [key, kind] : supportKeys) {
        const std::string text = support(key);
        if (!text.empty()) values.emplace_back(key, TextData(text, kind));
    }
    return values;
}
