#include "check/install_plan.h"

#include <cstdio>
#include <unordered_set>

#include "check/copy_sources.h"
#include "check/findings.h"
#include "engine/code_page.h"
#include "engine/paths.h"
#include "engine/registry_names.h"
#include "engine/strings.h"
#include "install/settings_entries.h"
#include "install/shortcut_entry.h"
#include "install/uninstall_log.h"
#include "wizard/script_reading.h"

namespace {

std::string Upper(const std::string& text) { return MapString(text, kMapUpperCase); }

std::string Hex(const char* format, unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// Types and data as the system's registry tool prints them.
PlannedValue Planned(const std::string& rootTag, const std::string& key, const std::string& name,
                     const std::optional<RegistryData>& data) {
    PlannedValue value{RegistryRootName(rootTag), key, name, "", ""};
    if (!data) return value;
    switch (data->kind) {
        case RegistryKind::String:
            value.type = "REG_SZ";
            value.data = data->text;
            break;
        case RegistryKind::ExpandString:
            value.type = "REG_EXPAND_SZ";
            value.data = data->text;
            break;
        case RegistryKind::Dword:
            value.type = "REG_DWORD";
            value.data = Hex("0x%x", data->number);
            break;
        case RegistryKind::Binary:
            value.type = "REG_BINARY";
            for (int shift = 0; shift < 32; shift += 8) value.data += Hex("%02X", (data->number >> shift) & 0xFF);
            break;
    }
    return value;
}

class PlanBuilder {
public:
    PlanBuilder(const ScriptFile& script, const PackageFolder& package)
        : script_(script),
          package_(package),
          sources_(script, kScriptName),
          values_(ReadScriptValues(sources_, kScriptName, false)) {}

    InstallPlan Build(const SampleMachine& machine) {
        plan_.system = machine.system.name;
        plan_.installFolder = PrepareSampleMachine(script_, machine);
        // The run's order: folders, files, shortcuts, registry, INI files, associations, uninstall information.
        AddFolders();
        AddFiles();
        AddShortcuts();
        AddRegistry();
        AddIniEntries();
        AddAssociations();
        AddUninstallInformation();
        const std::string start = script_.Value("ExecuteFile", "File");
        if (!start.empty() && start != "WINDOWS_REBOOT") plan_.start = ExpandFolderMacros(start);
        return std::move(plan_);
    }

private:
    void AddFolders() {
        madeFolders_.insert(Upper(plan_.installFolder));
        for (const ScriptKey* key : NumberedKeys(script_, "MakeFolder", "Folder")) {
            plan_.folders.push_back(ExpandFolderMacros(AddPathDelimiter(key->value, "B")));
            madeFolders_.insert(Upper(plan_.folders.back()));
        }
        lists_.folders.current = plan_.folders;
    }

    void AddFiles() {
        for (const CopySource& s : ReadCopySources(script_, package_)) {
            plan_.files.push_back(
                {s.entry.source, s.Destination(), s.entry.options, s.disk, s.entry.compressed, !s.path, s.packageName});
            if (!s.path) continue;  // skipped and reported as a failure
            lists_.files.current.push_back(s.Destination() + s.entry.options);
            if (HasOption(s.entry.options, "/S"))
                plan_.registry.push_back(Planned("(Local)", kSharedDllsKey, s.Destination(), [] {
                    RegistryData count;
                    count.kind = RegistryKind::Dword;
                    count.number = 1;  // a fresh machine counts no earlier user
                    return count;
                }()));
        }
    }

    // A working folder that will exist: the install folder or one of [MakeFolder].
    bool IsMadeFolder(const std::string& folder) const {
        return madeFolders_.count(Upper(AddPathDelimiter(folder, "B"))) != 0;
    }

    // The wizard ticks every shortcut box it offers.
    void AddShortcuts() {
        const ShortcutOffers offers = ReadShortcutOffers(sources_, kScriptName);
        const bool ticked[] = {offers.desktop, offers.startMenu, offers.startUp, offers.sendTo, true};
        const std::vector<const ScriptKey*> makes = NumberedKeys(script_, "ShortCut", "Make");
        for (std::size_t i = 0; i < makes.size(); ++i) {
            std::string name = script_.Value("ShortCut", "Name" + std::to_string(i + 1));
            if (name.empty()) name = "Default";
            if (!ticked[static_cast<int>(ChoiceForName(name))]) continue;
            const ShortcutEntry entry = ParseShortcutEntry(makes[i]->value, name);
            const std::string working =
                IsMadeFolder(entry.workingFolder) ? entry.workingFolder : FolderOfPath(entry.target);
            const std::string file = LinkFileName(entry.link);
            plan_.shortcuts.push_back({file, entry.target, entry.arguments, AddPathDelimiter(working, "B")});
            lists_.shortcuts.current.push_back(file);
        }
    }

    void AddRegistry() {
        const std::vector<const ScriptKey*> keys = NumberedKeys(script_, "Registry", "Key");
        for (std::size_t i = 0; i < keys.size(); ++i) {
            const std::string n = std::to_string(i + 1);
            const RegistryKeyText key = SplitRegistryKey(keys[i]->value);
            std::string value = script_.Value("Registry", "Value" + n);
            const bool noDelimiter = TakeNoDelimiterMark(value);
            plan_.registry.push_back(Planned(key.rootTag, key.path, script_.Value("Registry", "Name" + n),
                                             ParseRegistryValue(ExpandFolderMacros(value), noDelimiter)));
        }
    }

    void AddIniEntries() {
        for (const ScriptKey* key : NumberedKeys(script_, "IniFile", "Data")) {
            const std::string data = ExpandFolderMacros(key->value);
            PlannedIniEntry entry{GetField(data, ",", 4), GetField(data, ",", 1), GetField(data, ",", 2),
                                  GetField(data, ",", 3)};
            if (!entry.file.empty() && !entry.section.empty() && !entry.key.empty()) plan_.ini.push_back(entry);
        }
    }

    // The user answers yes to each association question.
    void AddAssociations() {
        for (int n = 1; n <= 20; ++n) {
            const std::string name = script_.Value("Relate", "Name" + std::to_string(n));
            const std::string file = script_.Value("Relate", "File" + std::to_string(n));
            if (name.empty() || file.empty()) continue;
            const Association a = ParseAssociation(name, ExpandFolderMacros(file));
            slots_.Save(a.extension, "");  // a fresh machine has no earlier association to restore
            for (const auto& [key, text] : AssociationKeys(a))
                plan_.registry.push_back(Planned("(Class)", key, "", TextData(text)));
        }
    }

    void AddUninstallInformation() {
        const std::string windows = FolderMacros().Get("(Win)");
        const std::string uninstaller = windows + "UNKELVO.EXE";
        const bool setupOnly = IsSetupOnly(values_.UnSetupTitle);
        if (!setupOnly) plan_.files.push_back({"setup.exe", uninstaller, "", 1, false, false, "setup.exe"});
        if (!values_.ProgramId.empty())
            plan_.ini.push_back({InstalledProgramsFile(windows), values_.ProgramId, "Folder", plan_.installFolder});
        if (setupOnly) return;
        plan_.logPath = UninstallLogPath(plan_.installFolder);
        const UninstallEntryName name = NameUninstallEntry(
            script_.Value("Title", "UnSetupKey"), script_.Value("Title", "UnSetupDisplay"), values_.UnSetupTitle);
        const std::string entryKey = std::string(kUninstallKeyRoot) + name.key;
        const auto support = [this](const char* key) { return script_.Value("Support", key); };
        for (const auto& [valueName, data] : UninstallEntryValues(name.display, uninstaller, plan_.logPath, support))
            plan_.registry.push_back(Planned("(Local)", entryKey, valueName, data));
        plan_.logText = BuildUninstallLog(LogContent(entryKey));
    }

    UninstallLogContent LogContent(const std::string& entryKey) {
        UninstallLogContent log;
        log.unSetupTitle = values_.UnSetupTitle;
        log.setupFolder = plan_.installFolder;
        log.setupString = values_.SetupString;
        log.unSetupString = values_.UnSetupString;
        lists_.files.current.push_back(plan_.logPath);
        for (const ScriptKey* key : NumberedKeys(script_, "DeleteRegistry", "Key"))
            lists_.registryKeys.current.push_back(key->value);
        for (const ScriptKey* key : NumberedKeys(script_, "AddDeleteFile", "File"))
            lists_.extraFiles.current.push_back(ExpandFolderMacros(key->value));
        log.lists = lists_;
        log.relations = slots_;
        log.checkBox = script_.Value("Extend", "UnSetupOption");
        log.checkBox3 = script_.Value("Extend", "UnSetupCheckBox3");
        log.checkBox4 = script_.Value("Extend", "UnSetupCheckBox4");
        log.readmeFile = script_.Value("BeforeUnInstall", "ReadmeFile");
        log.beforeFile = script_.Value("BeforeUnInstall", "File");
        log.registryKey = entryKey;
        log.programId = values_.ProgramId;
        return log;
    }

    const ScriptFile& script_;
    const PackageFolder& package_;
    const ScriptOnlySources sources_;
    const ScriptValues values_;
    InstallPlan plan_;
    std::unordered_set<std::string> madeFolders_;  // upper case, with a trailing delimiter
    UninstallLists lists_;
    RestoreRelateSlots slots_;
};

std::string FileNotes(const PlannedFile& f) {
    std::string notes;
    if (f.compressed) notes += " compressed";
    if (f.disk > 1) notes += " disk" + std::to_string(f.disk);
    if (f.missing) notes += " missing";
    return notes.empty() ? "" : notes.substr(1);
}

// The log's CR LF lines, indented under their heading.
std::string Indented(const std::string& text) {
    std::string out = "  ";
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 2, "\r\n") == 0) {
            out += i + 2 < text.size() ? "\n  " : "\n";
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

template <typename Item, typename Fields>
std::string JsonList(const char* name, const std::vector<Item>& items, Fields fields) {
    std::string json = std::string("  \"") + name + "\": [";
    const char* separator = "";
    for (const Item& item : items) {
        json += separator + std::string("\n    {") + fields(item) + "}";
        separator = ",";
    }
    return json + (items.empty() ? "],\n" : "\n  ],\n");
}

std::string Field(const char* name, const std::string& value, bool last = false) {
    return std::string("\"") + name + "\": " + JsonString(value) + (last ? "" : ", ");
}

}  // namespace

InstallPlan BuildInstallPlan(const ScriptFile& script, const PackageFolder& package, const SampleMachine& machine) {
    return PlanBuilder(script, package).Build(machine);
}

std::string PlanText(const InstallPlan& plan) {
    std::string text = "system\t" + plan.system + "\ninstall folder\t" + plan.installFolder + "\n";
    for (const std::string& folder : plan.folders) text += "folder\t" + folder + "\n";
    for (const PlannedFile& f : plan.files)
        text += "file\t" + f.source + "\t" + f.destination + "\t" + f.options + "\t" + FileNotes(f) + "\n";
    for (const PlannedShortcut& s : plan.shortcuts)
        text += "shortcut\t" + s.file + "\t" + s.target + "\t" + s.arguments + "\t" + s.workingFolder + "\n";
    for (const PlannedValue& v : plan.registry)
        text += "registry\t" + v.root + "\\" + v.key + "\t" + v.name + "\t" + v.type + "\t" + v.data + "\n";
    for (const PlannedIniEntry& e : plan.ini)
        text += "ini\t" + e.file + "\t" + e.section + "\t" + e.key + "\t" + e.value + "\n";
    if (!plan.start.empty()) text += "start\t" + plan.start + "\n";
    if (!plan.logPath.empty()) text += "uninstall log\t" + plan.logPath + "\n" + Indented(plan.logText);
    return text;
}

std::string PlanJson(const InstallPlan& plan) {
    std::string json = "{\n  " + Field("system", plan.system) + Field("installFolder", plan.installFolder) + "\n";
    json += JsonList("folders", plan.folders, [](const std::string& f) { return Field("path", f, true); });
    json += JsonList("files", plan.files, [](const PlannedFile& f) {
        return Field("source", f.source) + Field("destination", f.destination) + Field("options", f.options) +
               "\"disk\": " + std::to_string(f.disk) + ", \"compressed\": " + (f.compressed ? "true" : "false") +
               ", \"missing\": " + (f.missing ? "true" : "false") + ", " + Field("found", f.found, true);
    });
    json += JsonList("shortcuts", plan.shortcuts, [](const PlannedShortcut& s) {
        return Field("file", s.file) + Field("target", s.target) + Field("arguments", s.arguments) +
               Field("workingFolder", s.workingFolder, true);
    });
    json += JsonList("registry", plan.registry, [](const PlannedValue& v) {
        return Field("root", v.root) + Field("key", v.key) + Field("name", v.name) + Field("type", v.type) +
               Field("data", v.data, true);
    });
    json += JsonList("ini", plan.ini, [](const PlannedIniEntry& e) {
        return Field("file", e.file) + Field("section", e.section) + Field("key", e.key) +
               Field("value", e.value, true);
    });
    return json + "  " + Field("start", plan.start) + Field("uninstallLog", plan.logPath) + "\n  " +
           Field("uninstallLogText", plan.logText, true) + "\n}\n";
}
