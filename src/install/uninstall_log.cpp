#include "install/uninstall_log.h"

#include "engine/code_page.h"
#include "engine/paths.h"
#include "engine/strings.h"

void RestoreRelateSlots::LoadPrevious(const std::string& value) {
    if (value.empty()) return;
    for (std::string& slot : slots_) {
        if (slot.empty()) {
            slot = value;
            return;
        }
        if (ContainsText(value, slot)) return;
    }
}

bool RestoreRelateSlots::Holds(const std::string& extension) const {
    for (const std::string& slot : slots_)
        if (!slot.empty() && ContainsText(extension, GetField(slot, ",", 1))) return true;
    return false;
}

bool RestoreRelateSlots::Save(const std::string& extension, const std::string& previous) {
    if (Holds(extension)) return true;
    for (std::string& slot : slots_) {
        if (slot.empty()) {
            slot = extension + "," + previous;
            return true;
        }
    }
    return false;
}

LogSection::LogSection(std::string header, std::string prefix, bool carriesSharedMark)
    : header_(std::move(header)), prefix_(std::move(prefix)), sharedMark_(carriesSharedMark) {}

void LogSection::Add(const std::string& entry) {
    const std::string key = MapString(GetField(entry, ",", 1), kMapUpperCase);
    if (key.empty()) return;
    auto [it, added] = index_.emplace(key, values_.size());
    if (added) {
        values_.push_back(entry);
        return;
    }
    if (!sharedMark_ || !ContainsText("/S", entry)) return;
    std::string& kept = values_[it->second];
    kept += kept.find(',') == std::string::npos ? ",/S" : "/S";
}

std::string LogSection::Text() const {
    std::string text = header_ + "\r\n";
    for (std::size_t i = 0; i < values_.size(); ++i)
        text += prefix_ + std::to_string(i + 1) + "=" + values_[i] + "\r\n";
    return text;
}

namespace {

std::string ListSection(const char* header, const char* prefix, const UninstallList& list, bool sharedMark) {
    LogSection section(header, prefix, sharedMark);
    for (const std::string& entry : list.current) section.Add(entry);
    for (const std::string& entry : list.carried) section.Add(entry);
    return section.Text();
}

std::string Line(const std::string& key, const std::string& value) { return key + "=" + value + "\r\n"; }

std::string LineIfSet(const std::string& key, const std::string& value) {
    return value.empty() ? "" : Line(key, value);
}

}  // namespace

std::string BuildUninstallLog(const UninstallLogContent& c, const std::function<void(int)>& progress) {
    auto dots = [&](int n) {
        if (progress) progress(n);
    };
    const UninstallLists& lists = c.lists;
    std::string restore;
    for (std::size_t k = 0; k < c.relations.Slots().size(); ++k)
        restore += LineIfSet("Key" + std::to_string(k + 1), c.relations.Slots()[k]);

    std::vector<std::string> sections;
    sections.push_back("[Information]\r\n" + Line("Message1", "Kelvo Setup UnSetup(UnInstall) Initialize File") +
                       Line("Message2", "！！！　警告　！！！") +
                       Line("Message3", "このファイルをエディタなどで書き換えたり、削除しないでください。") +
                       Line("Message4", "書き換えた場合、" + c.unSetupString + "動作の保証はできません。"));
    sections.push_back("[Title]\r\n" + Line("UnSetup", c.unSetupTitle));
    sections.push_back("[SetupFolder]\r\n" + Line("Folder", c.setupFolder));
    dots(4);
    sections.push_back(ListSection("[DeleteFolder]", "Folder", lists.folders, false));
    dots(5);
    sections.push_back(ListSection("[DeleteFile]", "File", lists.files, true));
    dots(6);
    sections.push_back(ListSection("[DeleteShortCut]", "File", lists.shortcuts, false));
    dots(7);
    sections.push_back(ListSection("[DeleteRegistry]", "Key", lists.registryKeys, false));
    dots(8);
    sections.push_back(ListSection("[AddDeleteFile]", "File", lists.extraFiles, false));
    dots(8);
    sections.push_back("[RestoreRelate]\r\n" + restore);
    sections.push_back("[UnSetupOption]\r\n" + LineIfSet("CheckBox", c.checkBox) + LineIfSet("CheckBox3", c.checkBox3) +
                       LineIfSet("CheckBox4", c.checkBox4));
    sections.push_back("[BeforeUnInstall]\r\n" + LineIfSet("ReadmeFile", c.readmeFile) +
                       LineIfSet("File", c.beforeFile));
    sections.push_back("[Extend]\r\n" + Line("SetupString", c.setupString) + Line("UnSetupString", c.unSetupString));
    sections.push_back("[UnSetupRegistryKey]\r\n" + Line("Key", c.registryKey));
    sections.push_back("[ProgramID]\r\n" + Line("ID", c.programId));

    std::string text;
    for (std::size_t i = 0; i < sections.size(); ++i) text += (i ? "\r\n" : "") + sections[i];
    return text;
}

std::string UninstallLogPath(const std::string& installFolder) {
    return AddPathDelimiter(installFolder, "B") + "UNSETUP.INI";
}

bool IsSetupOnly(const std::string& unSetupTitle) { return ContainsText("Setup Only.", unSetupTitle) != 0; }
