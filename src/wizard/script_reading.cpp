#include "wizard/script_reading.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "engine/paths.h"
#include "engine/strings.h"

namespace {

const char kCrLf[] = "\r\n";

std::string MainPageMessage(const SetupSources& sources, const std::string& script, const ScriptValues& values,
                            bool uninstall) {
    if (uninstall) {
        const std::string& u = values.UnSetupString;
        return u + "を行います。" + kCrLf + kCrLf + "開始するには、「" + u + "開始(S)」を選択してください。" + kCrLf;
    }
    std::string message;
    bool anyLine = false;
    for (int i = 1; i <= 5; ++i) {
        const std::string line = sources.Ini("TopMessage", "Message" + std::to_string(i), "", script);
        anyLine = anyLine || !line.empty();
        message += line + kCrLf;
    }
    return anyLine ? message : values.SetupString + "を行います。" + kCrLf;
}

// Applies a reference only when it yields a non-empty value.
void Replace(std::string& folder, const std::string& value) {
    if (!value.empty()) folder = value;
}

}  // namespace

ScriptValues& Script() {
    static ScriptValues values;
    return values;
}

int SetupSpeedFrom(const std::string& value) {
    char* end = nullptr;
    errno = 0;
    const long speed = std::strtol(value.c_str(), &end, 10);
    if (value.empty() || *end != '\0' || errno == ERANGE || speed > INT_MAX || speed < INT_MIN) return 350;
    return speed < 1 ? 1 : static_cast<int>(speed);
}

std::string BannerText(const std::string& copyRight1, const std::string& copyRight2) {
    std::string joined = copyRight1 + kCrLf + copyRight2;
    if (joined != kCrLf) return joined;
    return std::string("Kelvo Setup") + kCrLf + "Copyright (C) Kelvo Software. All rights reserved.";
}

ScriptValues ReadScriptValues(const SetupSources& sources, const std::string& script, bool uninstall) {
    ScriptValues v;
    v.SetupString = sources.Ini("Extend", "SetupString", v.SetupString, script);
    v.UnSetupString = sources.Ini("Extend", "UnSetupString", v.UnSetupString, script);
    v.SetupSpeed = SetupSpeedFrom(sources.Ini("Extend", "SetupSpeed", "350", script));
    v.SetupTitle = sources.Ini("Title", "Setup", "Kelvo Setup", script);
    v.UnSetupTitle = sources.Ini("Title", "UnSetup", v.SetupTitle, script);
    v.ProgramId = sources.Ini("ProgramID", "ID", "", script);
    v.Enabled = sources.Ini("Extend", "Enabled", "", script) != "False";
    v.Message = MainPageMessage(sources, script, v, uninstall);
    return v;
}

RegistryReference ParseRegistryReference(const std::string& value) {
    const std::string keyText = GetField(value, ",", 1);
    RegistryReference ref{"(Cuser)", keyText, GetField(value, ",", 2)};
    // A text that does not start with a root tag is all key path, under the current user.
    if (!keyText.empty() && (keyText[0] == '(' || (keyText.size() >= 7 && keyText[6] == ')'))) {
        ref.rootTag = keyText.substr(0, 7);
        ref.keyPath = keyText.size() > 7 ? keyText.substr(7) : "";
    }
    ref.keyPath = RemovePathDelimiter(RemovePathDelimiter(ref.keyPath, "T"), "B");
    return ref;
}

std::string ProposeInstallFolder(const SetupSources& sources, const std::string& script,
                                 const std::string& windowsFolder) {
    std::string folder = sources.Ini("DefaultFolder", "Folder", "(Prg)\\", script);
    const std::string id = sources.Ini("ProgramID", "ID", "", script);
    if (!id.empty()) folder = sources.Ini(id, "Folder", folder, InstalledProgramsFile(windowsFolder));
    const std::string registry = sources.Ini("DefaultFolder", "ReferRegistry", "", script);
    if (!registry.empty()) {
        const RegistryReference ref = ParseRegistryReference(registry);
        Replace(folder, sources.RegistryText(ref.rootTag, ref.keyPath, ref.valueName));
    }
    const std::string ini = ExpandFolderMacros(sources.Ini("DefaultFolder", "ReferIniFile", "", script));
    if (!ini.empty())
        Replace(folder, sources.Ini(GetField(ini, ",", 1), GetField(ini, ",", 2), "", GetField(ini, ",", 3)));
    return folder;
}

ShortcutOffers ReadShortcutOffers(const SetupSources& sources, const std::string& script) {
    ShortcutOffers offers;
    for (int i = 1;; ++i) {
        const std::string name = sources.Ini("ShortCut", "Name" + std::to_string(i), "", script);
        if (name.empty()) break;
        // Only the end of the macro is looked at, so "(C_Dsk)" counts as "(Dsk)".
        offers.desktop = offers.desktop || ContainsText("Dsk)", name);
        offers.startMenu = offers.startMenu || ContainsText("Sta)", name);
        offers.startUp = offers.startUp || ContainsText("Sup)", name);
        offers.sendTo = offers.sendTo || ContainsText("Sen)", name);
    }
    return offers;
}
