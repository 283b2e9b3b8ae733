#include "check/entry_rules.h"

#include "engine/paths.h"
#include "engine/registry_names.h"
#include "engine/strings.h"
#include "install/settings_entries.h"
#include "install/shortcut_entry.h"
#include "wizard/script_reading.h"

namespace {

// Option text is "/" and a letter, repeated; blanks between them do no harm.
void CheckOptions(const std::string& options, const std::string& where, int line, Findings& findings) {
    for (std::size_t i = 0; i < options.size(); ++i) {
        if (options[i] == ' ') continue;
        const char letter = i + 1 < options.size() ? static_cast<char>(options[i + 1] & ~0x20) : '\0';
        if (options[i] == '/' && std::string("SWRCLF").find(letter) != std::string::npos) {
            ++i;
            continue;
        }
        findings.Warning(line, where + "option text " + Quoted(options) +
                                   " holds something that is no option (/S shared, /W always write, /R register; "
                                   "/C ask, /L keep, /F delete at restart when removing)");
        return;
    }
}

void CheckCompressed(const CopySource& s, const std::string& where, Findings& findings) {
    if (!s.validCompressed) {
        findings.Error(s.key->line, where + "source " + Quoted(s.entry.source) +
                                        " ends in \"_\" but is not a compressed file; it is installed as it is");
    } else if (EndsWithChar(s.expandedName, '_') && NameOfPath(s.entry.destination) == "AUTO.EXT") {
        findings.Error(s.key->line, where + "compressed source " + Quoted(s.entry.source) +
                                        " stores no last letter of its name, so it installs as " +
                                        Quoted(s.expandedName) +
                                        "; write the letter at offset 9 or give a new name after \"|\"");
    }
}

void CheckCopyFile(const CopySource& s, Findings& findings) {
    const std::string where = Where("CopyFile", s.key->name);
    const int line = s.key->line;
    if (SameText(s.key->value.substr(0, 5), "(Dch)") && !s.entry.diskChange)
        findings.Warning(line, where + Quoted(s.key->value.substr(0, 5)) +
                                   " is no disk mark (only \"(Dch)\" is, letter case as shown); it stays in the path");
    if (s.entry.source.empty() || NameOfPath(s.entry.destination).empty()) {
        findings.Error(line, where + "the destination has no file name");
        return;
    }
    if (!s.path) {
        std::string text = where + "source " + Quoted(s.entry.source) + " is not in the package";
        if (s.disk > 1) text += " (disk " + std::to_string(s.disk) + ": nor in DISK" + std::to_string(s.disk) + ")";
        findings.Error(line, text);
    } else if (s.entry.compressed) {
        CheckCompressed(s, where, findings);
    }
    if (s.twin)
        findings.Warning(line, where + "source " + Quoted(s.entry.source) +
                                   " is in the package twice, named in UTF-8 and in Shift-JIS; the Shift-JIS one is "
                                   "checked, and the copy that reaches Windows decides");
    CheckOptions(s.entry.options.empty() ? "" : s.entry.options.substr(1), where, line, findings);
    if (!GetField(s.key->value, ",", 3).empty())
        findings.Warning(line, where + "a third field is ignored; options belong in the second field");
}

void CheckRootTag(const std::string& keyText, const std::string& where, int line, Findings& findings) {
    const RegistryKeyText key = SplitRegistryKey(keyText);
    if (!IsRootTag(key.rootTag)) {
        findings.Error(line, where + "root tag " + Quoted(key.rootTag) +
                                 " is not one of (Cuser), (Class), (Local), (Users) (letter case as shown); "
                                 "the key goes under HKEY_CURRENT_USER");
    }
    if (key.path.empty()) findings.Error(line, where + "no key path after the root");
}

void CheckRegistryValue(const std::string& raw, const std::string& where, int line, Findings& findings) {
    std::string value = raw;
    const bool noDelimiter = TakeNoDelimiterMark(value);
    value = ExpandFolderMacros(value);
    const std::string tag = value.substr(0, 5), data = value.size() > 5 ? value.substr(5) : "";
    if ((tag == "(Int)" || tag == "(Dwd)") && !ParseScriptNumber(data)) {
        findings.Error(line,
                       where + Quoted(data) + " is not a number (decimal, or hexadecimal after \"$\"); 0 is stored");
    } else if (tag == "(Bin)" && !ParseRegistryValue(value, noDelimiter)) {
        findings.Error(line,
                       where + Quoted(data) + " is not a hexadecimal number of up to 8 digits; nothing is stored");
    } else if (raw.size() >= 5 && raw[0] == '(' && raw[4] == ')' && !FolderMacros().Has(raw.substr(0, 5)) &&
               tag != "(Str)" && tag != "(Exp)" && tag != "(Int)" && tag != "(Dwd)" && tag != "(Bin)") {
        findings.Error(line, where + "type tag " + Quoted(raw.substr(0, 5)) +
                                 " is not one of (Str), (Int), (Dwd), (Bin), (Exp) (letter case as shown); the whole "
                                 "text is stored as a string");
    }
}

const char* BoxName(ShortcutChoice choice) {
    switch (choice) {
        case ShortcutChoice::Desktop: return "desktop";
        case ShortcutChoice::StartMenu: return "start menu";
        case ShortcutChoice::StartUp: return "startup";
        case ShortcutChoice::SendTo: return "send to";
        case ShortcutChoice::Always: break;
    }
    return "";
}

bool Offered(const ShortcutOffers& offers, ShortcutChoice choice) {
    switch (choice) {
        case ShortcutChoice::Desktop: return offers.desktop;
        case ShortcutChoice::StartMenu: return offers.startMenu;
        case ShortcutChoice::StartUp: return offers.startUp;
        case ShortcutChoice::SendTo: return offers.sendTo;
        case ShortcutChoice::Always: break;
    }
    return true;
}

}  // namespace

void CheckCopyFiles(const std::vector<CopySource>& sources, Findings& findings) {
    for (const CopySource& source : sources) CheckCopyFile(source, findings);
}

void CheckRegistry(const ScriptFile& script, Findings& findings) {
    const std::vector<const ScriptKey*> keys = NumberedKeys(script, "Registry", "Key");
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const std::string n = std::to_string(i + 1);
        CheckRootTag(keys[i]->value, Where("Registry", keys[i]->name), keys[i]->line, findings);
        if (const ScriptKey* value = script.Find("Registry", "Value" + n))
            CheckRegistryValue(value->value, Where("Registry", value->name), value->line, findings);
    }
}

void CheckShortcuts(const ScriptFile& script, Findings& findings) {
    const ScriptOnlySources sources(script, kScriptName);
    const ShortcutOffers offers = ReadShortcutOffers(sources, kScriptName);
    const std::vector<const ScriptKey*> makes = NumberedKeys(script, "ShortCut", "Make");
    for (std::size_t i = 0; i < makes.size(); ++i) {
        const std::string n = std::to_string(i + 1);
        const std::string name = script.Value("ShortCut", "Name" + n);
        const ScriptKey* nameKey = script.Find("ShortCut", "Name" + n);
        const ScriptKey& at = name.empty() ? *makes[i] : *nameKey;
        if (name.empty())
            findings.Warning(makes[i]->line, Where("ShortCut", makes[i]->name) + "no Name" + n +
                                                 ": the shortcut goes into the programs menu under the target's name");
        if (GetField(makes[i]->value, ",", 1).empty())
            findings.Error(makes[i]->line, Where("ShortCut", makes[i]->name) + "no target before the comma");
        const ShortcutChoice choice = ChoiceForName(name.empty() ? "Default" : name);
        if (!Offered(offers, choice))
            findings.Error(at.line, Where("ShortCut", at.name) + "never made: the wizard offers the " +
                                        BoxName(choice) +
                                        " box only when a Name before the first missing one names it");
    }
}

void CheckRelate(const ScriptFile& script, Findings& findings) {
    for (int n = 1; n <= 20; ++n) {
        const ScriptKey* name = script.Find("Relate", "Name" + std::to_string(n));
        const ScriptKey* file = script.Find("Relate", "File" + std::to_string(n));
        const bool hasName = name && !name->value.empty(), hasFile = file && !file->value.empty();
        if (hasName && !hasFile)
            findings.Error(name->line, Where("Relate", name->name) + "no File" + std::to_string(n) +
                                           ": the association is dropped");
        if (hasFile && !hasName)
            findings.Warning(file->line, Where("Relate", file->name) + "no Name" + std::to_string(n) + ": never used");
        if (hasName && GetField(name->value, ",", 1).empty())
            findings.Error(name->line, Where("Relate", name->name) + "no extension before the comma");
        if (hasName && hasFile && GetField(ExpandFolderMacros(file->value), ",", 2).empty())
            findings.Error(file->line, Where("Relate", file->name) + "no program in the second field");
    }
}

void CheckIniFiles(const ScriptFile& script, Findings& findings) {
    for (const ScriptKey* key : NumberedKeys(script, "IniFile", "Data")) {
        const std::string where = Where("IniFile", key->name);
        const std::string data = ExpandFolderMacros(key->value);
        if (GetField(data, ",", 1).empty() || GetField(data, ",", 2).empty() || GetField(data, ",", 4).empty())
            findings.Error(key->line, where +
                                          "needs four fields: section, key, value, file (none but the value "
                                          "may be empty); the entry is not written");
        else if (!GetField(data, ",", 5).empty())
            findings.Warning(key->line, where +
                                            "more than four fields: a value cannot hold a comma, and the fields "
                                            "after the fourth are ignored");
        if (GetField(data, ",", 3).size() > kIniValueLimit)
            findings.Error(key->line, where + "the value is " + std::to_string(GetField(data, ",", 3).size()) +
                                          " bytes; the system's INI functions drop values over " +
                                          std::to_string(kIniValueLimit));
    }
}
