// Registry values, INI entries, the deletion lists, file associations and the Add/Remove Programs entry.
#include <windows.h>

#include "engine/environment.h"
#include "engine/ini_file_win.h"
#include "engine/messages_win.h"
#include "engine/paths.h"
#include "engine/registry_win.h"
#include "engine/strings.h"
#include "install/installation_win.h"
#include "install/settings_entries.h"
#include "owned_win.h"

namespace {

LONG SetRegistryValue(HKEY key, const std::string& name, const RegistryData& data) {
    const char* valueName = name.c_str();
    switch (data.kind) {
        case RegistryKind::Dword:
        case RegistryKind::Binary: {
            const DWORD number = data.number;
            return RegSetValueEx932(key, valueName, data.kind == RegistryKind::Dword ? REG_DWORD : REG_BINARY,
                                    reinterpret_cast<const BYTE*>(&number), sizeof(number));
        }
        case RegistryKind::String:
        case RegistryKind::ExpandString:
            return RegSetValueEx932(key, valueName, data.kind == RegistryKind::String ? REG_SZ : REG_EXPAND_SZ,
                                    reinterpret_cast<const BYTE*>(data.text.c_str()),
                                    static_cast<DWORD>(data.text.size() + 1));
    }
    return ERROR_INVALID_PARAMETER;
}

// Creates (or opens) the key and writes the value when there is one; the system's error or 0.
LONG WriteRegistryValue(HKEY root, const std::string& path, const std::string& name,
                        const std::optional<RegistryData>& data) {
    OwnedKey key;
    LONG error = RegCreateKeyEx932(root, path.c_str(), 0, KEY_READ | KEY_WRITE, key.put());
    if (error != ERROR_SUCCESS) return error;
    if (data) error = SetRegistryValue(key.get(), name, *data);
    return error;
}

void ReportRegistryFailure(Installation& run, const std::string& key, long error) {
    // Reported like any other item, so the run goes on and still writes the uninstall log.
    run.status.AddFailure("<Registry> " + key + "\r\n" + SystemErrorText(static_cast<unsigned long>(error)));
}

UninstallEntryName EntryName(Installation& run) {
    return NameUninstallEntry(ScriptValue("Title", "UnSetupKey"), ScriptValue("Title", "UnSetupDisplay"),
                              run.context.unSetupTitle);
}

}  // namespace

void WriteRegistry(Installation& run) {
    BeginStep(run, "レジストリキーを作成しています．．．", StepResult::Nothing);
    const std::vector<std::string> keys = ReadNumberedValues("Registry", "Key", Environment().ScriptPath);
    for (std::size_t i = 0; i < keys.size(); ++i) {
        ShowLog(run);
        Checkpoint(run);
        const std::string n = std::to_string(i + 1);
        const RegistryKeyText key = SplitRegistryKey(keys[i]);
        std::string value = ScriptValue("Registry", "Value" + n);
        const bool noDelimiter = TakeNoDelimiterMark(value);
        const auto data = ParseRegistryValue(ExpandFolderMacros(value), noDelimiter);
        const LONG error =
            WriteRegistryValue(RegistryRootFor(key.rootTag), key.path, ScriptValue("Registry", "Name" + n), data);
        if (error != ERROR_SUCCESS) ReportRegistryFailure(run, keys[i], error);
        else MarkDone(run);
    }
    EndStep(run);
}

void WriteIniFiles(Installation& run) {
    BeginStep(run, "INIファイルを設定しています．．．", StepResult::Nothing);
    for (const std::string& raw : ReadNumberedValues("IniFile", "Data", Environment().ScriptPath)) {
        ShowLog(run);
        Checkpoint(run);
        const std::string data = ExpandFolderMacros(raw);
        const std::string section = GetField(data, ",", 1), key = GetField(data, ",", 2);
        const std::string file = GetField(data, ",", 4);
        // Without a file name the system would write into WIN.INI, which the script never named.
        if (section.empty() || key.empty() || file.empty()) {
            run.status.AddFailure("<IniFile> " + data + "\r\n" + SystemErrorText(ERROR_INVALID_PARAMETER));
            continue;
        }
        if (const unsigned long error = WriteIniValue(section, key, GetField(data, ",", 3), file)) {
            run.status.AddFailure("<IniFile> " + data + "\r\n" + SystemErrorText(error));
            continue;
        }
        MarkDone(run);
    }
    EndStep(run);
}

void ReadDeletionLists(Installation& run) {
    const std::string& script = Environment().ScriptPath;
    run.state.lists.registryKeys.current = ReadNumberedValues("DeleteRegistry", "Key", script);
    for (const std::string& file : ReadNumberedValues("AddDeleteFile", "File", script))
        run.state.lists.extraFiles.current.push_back(ExpandFolderMacros(file));
    for (const std::string& key : run.state.lists.registryKeys.current) Journal(run, JournalKind::RegistryKey, key);
    for (const std::string& file : run.state.lists.extraFiles.current) Journal(run, JournalKind::ExtraFile, file);
}

void SetAssociations(Installation& run) {
    BeginStep(run, "関連付けを設定しています．．．", StepResult::Nothing);
    for (const auto& [name, file] : run.state.relations) {
        ShowLog(run);
        Checkpoint(run);
        const Association a = ParseAssociation(name, ExpandFolderMacros(file));
        if (run.view.Ask(AssociationQuestion(a), "関連付けの確認", MB_YESNO | MB_ICONQUESTION,
                         {IDYES, "無人実行では関連付けを受け入れます"}) != IDYES)
            continue;
        const std::string extensionKey = "." + a.extension;
        const std::string previous = ReadRegistryText(HKEY_CLASSES_ROOT, extensionKey, "");
        if (!run.state.relationSlots.Holds(a.extension))
            Journal(run, JournalKind::Relation, a.extension + "," + previous);
        run.state.relationSlots.Save(a.extension, previous);
        bool failed = false;
        for (const auto& [path, text] : AssociationKeys(a)) {
            const LONG error = WriteRegistryValue(HKEY_CLASSES_ROOT, path, "", TextData(text));
            if (error != ERROR_SUCCESS && !failed) ReportRegistryFailure(run, "(Class)" + path, error);
            failed = failed || error != ERROR_SUCCESS;
        }
        MarkDone(run);
    }
    EndStep(run);
}

std::string UninstallEntryPath(Installation& run) { return std::string(kUninstallKeyRoot) + EntryName(run).key; }

void WriteUninstallEntry(Installation& run, const std::string& path) {
    const UninstallEntryName name = EntryName(run);
    const std::string uninstaller = FolderMacros().Get("(Win)") + "UNKELVO.EXE";
    const auto values = UninstallEntryValues(name.display, uninstaller, LogPath(),
                                             [](const char* key) { return ScriptValue("Support", key); });
    for (const auto& [valueName, data] : values) {
        const LONG error = WriteRegistryValue(HKEY_LOCAL_MACHINE, path, valueName, data);
        if (error != ERROR_SUCCESS) {
            ReportRegistryFailure(run, "(Local)" + path, error);
            break;
        }
    }
}
