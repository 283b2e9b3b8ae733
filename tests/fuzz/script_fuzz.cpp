// A setup script as start-up and the install run read it: the start-up values, the
// proposed install folder, the checks, and the entries of [CopyFile], [Registry],
// [IniFile], [Relate], [ShortCut] and [ExecuteFile].
// Input: INI text. "@NAME" on a line of its own starts another file (KELVO98.INI, the
// uninstall log, ...), "@REG" registry values ([root,key] and name=value lines), "@FILES"
// a list of existing files.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/paths.h"
#include "engine/strings.h"
#include "fuzz_support.h"
#include "install/copy_entry.h"
#include "install/final_page.h"
#include "install/settings_entries.h"
#include "install/shortcut_entry.h"
#include "wizard/install_checks.h"
#include "wizard/script_reading.h"
#include "wizard/wizard_texts.h"
#include "wizard_sources_fake.h"

namespace {

const char kScript[] = "C:\\WINDOWS\\TEMP\\KSTMP1\\SETUP.INI";
const char kSource[] = "A:\\";

void SetUpFolders() {
    static bool done = false;
    if (done) return;
    done = true;
    // The values start-up finds, one with a 0x5C trail byte ("ソ").
    const char* const values[][2] = {
        {"(Prg)", "C:\\Program Files\\"},
        {"(Win)", "C:\\WINDOWS\\"},
        {"(Sys)", "C:\\WINDOWS\\SYSTEM\\"},
        {"(Tmp)", "C:\\WINDOWS\\TEMP\\"},
        {"(Boo)", "C:\\"},
        {"(Set)", "C:\\"},
        {"(Smn)", "C:\\WINDOWS\\\x83\x5C\\"},
        {"(Dsk)", "C:\\WINDOWS\\Desktop\\"},
    };
    for (const auto& v : values) FolderMacros().Set(v[0], v[1]);
    FolderMacros().Set("(App)", "C:\\Program Files\\\x83\x5C\\");
}

MemorySources Parse(const std::string& text) {
    MemorySources sources;
    std::string file = kScript, section;
    for (std::string line : fuzz::Split(reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), '\n')) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] == '@') {
            file = line.substr(1);
            section.clear();
        } else if (file == "FILES") {
            sources.AddFile(line);
        } else if (!line.empty() && line[0] == '[' && line.back() == ']') {
            section = line.substr(1, line.size() - 2);
        } else if (const std::size_t eq = line.find('='); eq != std::string::npos) {
            if (file == "REG")
                sources.SetRegistry(GetField(section, ",", 1), GetField(section, ",", 2), line.substr(0, eq),
                                    line.substr(eq + 1));
            else
                sources.SetIni(file == "KELVO98" ? "C:\\WINDOWS\\KELVO98.INI" : file, section, line.substr(0, eq),
                               line.substr(eq + 1));
        }
    }
    return sources;
}

std::vector<std::string> Numbered(const SetupSources& s, const std::string& section, const std::string& prefix) {
    std::vector<std::string> values;
    for (int n = 1; n < 200; ++n) {
        std::string value = s.Ini(section, prefix + std::to_string(n), "", kScript);
        if (value.empty()) break;
        values.push_back(std::move(value));
    }
    return values;
}

// An independent reading of the script's numbers: optional sign, decimal digits in the
// signed 32-bit range, or "$" and hexadecimal digits in 32 bits.
bool ModelNumber(const std::string& text, std::int64_t& out) {
    std::size_t i = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) ++i;
    const bool hex = i < text.size() && text[i] == '$';
    if (hex) ++i;
    if (i == text.size()) return false;
    unsigned __int128 value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (hex && c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else return false;
        value = value * (hex ? 16 : 10) + d;
        if (value > 0x1FFFFFFFFull) value = 0x1FFFFFFFFull;  // far past every limit
    }
    if (hex && value > 0xFFFFFFFFull) return false;
    if (!hex && value > (negative ? 0x80000000ull : 0x7FFFFFFFull)) return false;
    const auto bits = static_cast<std::uint32_t>(value);
    out = static_cast<std::int32_t>(negative ? 0u - bits : bits);
    return true;
}

void CheckNumber(const std::string& text) {
    std::int64_t expected = 0;
    const auto parsed = ParseScriptNumber(text);
    FUZZ_CHECK(parsed.has_value() == ModelNumber(text, expected));
    if (parsed) FUZZ_CHECK(*parsed == expected);
}

void CheckEntries(const SetupSources& s) {
    for (const std::string& value : Numbered(s, "CopyFile", "File")) {
        const CopyEntry e = ParseCopyEntry(value, kSource);
        FUZZ_CHECK(e.source.compare(0, 3, kSource) == 0);
        FUZZ_CHECK(e.compressed == EndsWithChar(e.source, '_'));
        FUZZ_CHECK(e.options.empty() || e.options[0] == ',');
        if (fuzz::WellFormed(value)) FUZZ_CHECK(fuzz::WellFormed(e.destination) && fuzz::WellFormed(e.source));
        DecideOverwrite(true, true, static_cast<long>(value.size()), 3);
        CopyEntryText(e.source, e.destination);
    }
    const std::vector<std::string> keys = Numbered(s, "Registry", "Key");
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const RegistryKeyText key = SplitRegistryKey(keys[i]);
        FUZZ_CHECK(key.rootTag.size() <= 7);
        std::string value = s.Ini("Registry", "Value" + std::to_string(i + 1), "", kScript);
        const bool noDelimiter = TakeNoDelimiterMark(value);
        FUZZ_CHECK(ContainsText("(Pdd)", value) == 0 || !noDelimiter);
        ParseRegistryValue(ExpandFolderMacros(value), noDelimiter);
        CheckNumber(value);
    }
    for (const std::string& raw : Numbered(s, "IniFile", "Data")) {
        const std::string data = ExpandFolderMacros(raw);
        for (int n = 1; n <= 4; ++n) GetField(data, ",", n);
    }
    const std::vector<std::string> names = Numbered(s, "Relate", "Name");
    for (std::size_t i = 0; i < names.size(); ++i) {
        const Association a = ParseAssociation(
            names[i], ExpandFolderMacros(s.Ini("Relate", "File" + std::to_string(i + 1), "", kScript)));
        FUZZ_CHECK(a.command.compare(0, a.program.size(), a.program) == 0 || a.command[0] == '"');
        AssociationQuestion(a);
    }
    const std::vector<std::string> makes = Numbered(s, "ShortCut", "Make");
    for (std::size_t i = 0; i < makes.size(); ++i) {
        const std::string name = s.Ini("ShortCut", "Name" + std::to_string(i + 1), "", kScript);
        ChoiceForName(name);
        const ShortcutEntry e = ParseShortcutEntry(makes[i], name);
        ShortcutEntryText(e);
        if (fuzz::WellFormed(e.link)) FUZZ_CHECK(ContainsText(".lnk", LinkFileName(e.link)) != 0);
    }
    const ExecuteEntry run = ParseExecuteEntry(ExpandFolderMacros(s.Ini("ExecuteFile", "File", "", kScript)));
    BuildFinalPage("Setup", run.program.size() % 2 == 0, run);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    SetUpFolders();
    const MemorySources sources = Parse(std::string(reinterpret_cast<const char*>(data), size));

    for (bool uninstall : {false, true}) {
        const ScriptValues v = ReadScriptValues(sources, kScript, uninstall);
        FUZZ_CHECK(v.SetupSpeed >= 1);
    }
    const std::string folder = ProposeInstallFolder(sources, kScript, "C:\\WINDOWS\\");
    ExpandFolderMacros(folder);
    ReadShortcutOffers(sources, kScript);
    ParseRegistryReference(sources.Ini("DefaultFolder", "ReferRegistry", "", kScript));
    BannerText(sources.Ini("Title", "CopyRight1", "", kScript), sources.Ini("Title", "CopyRight2", "", kScript));
    ParseUninstallOptions(sources.Ini("UnSetupOption", "CheckBox", "0,0,0,0", kScript));
    InterpretCheckerResult(sources.Ini("Check", "Result", "", kScript), sources.Ini("Check", "Message", "", kScript));

    CheckContext context{kScript, "Windows 98", "C:\\WINDOWS\\", folder, "インストール", "アンインストール"};
    const CheckFinding finding = RunInstallChecks(sources, context);
    FUZZ_CHECK((finding.severity == CheckSeverity::None) == finding.text.empty());

    CheckEntries(sources);
    return 0;
}
