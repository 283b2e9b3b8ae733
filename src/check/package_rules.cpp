#include "check/package_rules.h"

#include <cctype>
#include <optional>

#include "check/copy_sources.h"
#include "check/entry_rules.h"
#include "check/package_folder.h"
#include "check/sample_folders.h"
#include "check/script_encoding.h"
#include "check/script_file.h"
#include "check/structure_rules.h"
#include "engine/paths.h"
#include "engine/strings.h"
#include "uninstall/uninstall_rules.h"

namespace {

// Files that the wizard's pages and checks take from beside setup.exe.
void CheckPackageFiles(const ScriptFile& script, const PackageFolder& package, Findings& findings) {
    const struct {
        const char* section;
        const char* key;
        const char* use;
    } named[] = {{"EULA", "File", "the licence page"},
                 {"Readme", "File", "the readme page"},
                 {"Extend", "InstallChecker", "the install checker"}};
    for (const auto& n : named) {
        const ScriptKey* key = script.Find(n.section, n.key);
        if (!key || key->value.empty()) continue;
        if (!package.FindRelative(key->value))
            findings.Error(key->line, Where(n.section, key->name) + Quoted(key->value) + " is not in the package; " +
                                          n.use + " is left out");
    }
}

// Files the uninstaller takes from the install folder: some [CopyFile] entry must put them there.
void CheckInstalledFiles(const ScriptFile& script, const std::vector<CopySource>& sources, Findings& findings) {
    const std::string app = FolderMacros().Get("(App)");
    for (const char* name : {"ReadmeFile", "File"}) {
        const ScriptKey* key = script.Find("BeforeUnInstall", name);
        if (!key || key->value.empty()) continue;
        const std::string path = app + RemovePathDelimiter(GetField(key->value, ",", 1), "T");
        bool installed = false;
        for (const CopySource& source : sources) installed = installed || SameText(source.Destination(), path);
        if (!installed)
            findings.Error(key->line, Where("BeforeUnInstall", key->name) + Quoted(GetField(key->value, ",", 1)) +
                                          " is not installed into the install folder by [CopyFile]; the uninstaller "
                                          "cannot find it");
    }
}

// What the uninstaller refuses as dangerous is better learnt now than from a user's report.
void CheckRemovals(const ScriptFile& script, Findings& findings) {
    for (const ScriptKey* key : NumberedKeys(script, "DeleteRegistry", "Key")) {
        if (IsRefusedRegistryKey(SplitLogRegistryKey(key->value).path))
            findings.Error(key->line, Where("DeleteRegistry", key->name) + "the uninstaller refuses to delete " +
                                          Quoted(key->value) + " (a root or a key directly below one), so it stays");
    }
    const FolderMacroTable& macros = FolderMacros();
    for (const ScriptKey* key : NumberedKeys(script, "AddDeleteFile", "File")) {
        const std::string path = ExpandFolderMacros(key->value);
        if (IsRefusedPath(path, macros.Get("(Win)"), macros.Get("(Sys)")))
            findings.Error(key->line, Where("AddDeleteFile", key->name) + "the uninstaller refuses to delete " +
                                          Quoted(path) +
                                          " (a drive root, the Windows or System folder, or not a "
                                          "full path), so it stays");
    }
}

// A parenthesised word of three letters, "C_" allowed in front, looks like a folder macro.
bool LooksLikeMacro(const std::string& token) {
    const std::size_t start = token.compare(0, 3, "(C_") == 0 ? 3 : 1;
    if (token.size() != start + 4) return false;
    for (std::size_t i = start; i + 1 < token.size(); ++i)
        if (!std::isalpha(static_cast<unsigned char>(token[i]))) return false;
    return true;
}

// Setup leaves an unknown macro in the path as text, so the file lands somewhere unintended.
// Tags are left to the checks of their entries, also a registry value's type tag at its start.
void CheckMacros(const ScriptKey& key, const std::string& section, Findings& findings) {
    static const char* const kTags[] = {"(Str)", "(Int)", "(Dwd)", "(Bin)", "(Exp)", "(Pdd)", "(Dch)"};
    const std::string& v = key.value;
    for (std::size_t open = v.find('('); open != std::string::npos; open = v.find('(', open + 1)) {
        const std::size_t close = v.find(')', open);
        if (close == std::string::npos) return;
        const std::string token = v.substr(open, close - open + 1);
        bool known = !LooksLikeMacro(token) || FolderMacros().Has(token) || (open == 0 && section == "Registry");
        for (const char* tag : kTags) known = known || SameText(token, tag);
        if (!known)
            findings.Error(key.line, Where(section, key.name) + "unknown folder macro " + Quoted(token) +
                                         "; it stays in the path as text");
    }
}

void CheckAllMacros(const ScriptFile& script, Findings& findings) {
    for (const char* section : {"DefaultFolder", "MakeFolder", "CopyFile", "ShortCut", "Registry", "IniFile", "Relate",
                                "AddDeleteFile", "ExecuteFile"}) {
        for (const ScriptSection& s : script.Sections()) {
            if (!SameText(s.name, section)) continue;
            for (const ScriptKey& key : s.keys) CheckMacros(key, section, findings);
            break;  // only the first section of a name is read
        }
    }
}

void CheckScript(const ScriptFile& script, const PackageFolder& package, Findings& findings) {
    CheckStructure(script, findings);
    CheckAllMacros(script, findings);
    const std::vector<CopySource> sources = ReadCopySources(script, package);
    CheckCopyFiles(sources, findings);
    CheckRegistry(script, findings);
    CheckShortcuts(script, findings);
    CheckRelate(script, findings);
    CheckIniFiles(script, findings);
    CheckPackageFiles(script, package, findings);
    CheckInstalledFiles(script, sources, findings);
    CheckRemovals(script, findings);
}

}  // namespace

CheckResult CheckPackage(const std::string& folder, const SampleMachine& machine) {
    CheckResult result;
    PackageFolder package;
    const std::optional<std::string> bytes = package.Open(folder) ? package.ReadScript() : std::nullopt;
    if (!bytes) {
        result.findings.Error(
            0, "no readable " + std::string(kScriptName) + " in " + Quoted(PackageFolder::ScriptName(folder)));
        return result;
    }
    result.readable = true;
    if (CheckScriptEncoding(*bytes, result.findings)) {
        const ScriptFile script(*bytes);
        PrepareSampleMachine(script, machine);
        CheckScript(script, package, result.findings);
    }
    result.findings.Sort();
    return result;
}
