#include "check/sample_folders.h"

#include "wizard/script_reading.h"

namespace {

struct SystemLayout {
    const char* name;
    bool nt;
    const char* windows;   // the Windows folder
    const char* system;    // its system folder's name
    const char* profiles;  // the folder of the user profiles on NT
};

constexpr SystemLayout kSystems[] = {
    {"win95", false, "C:\\WINDOWS\\", "SYSTEM", ""},
    {"win98", false, "C:\\WINDOWS\\", "SYSTEM", ""},
    {"winme", false, "C:\\WINDOWS\\", "SYSTEM", ""},
    {"nt40", true, "C:\\WINNT\\", "system32", "C:\\WINNT\\Profiles\\"},
    {"win2k", true, "C:\\WINNT\\", "system32", "C:\\Documents and Settings\\"},
    {"winxp", true, "C:\\WINDOWS\\", "system32", "C:\\Documents and Settings\\"},
    {"win2003", true, "C:\\WINDOWS\\", "system32", "C:\\Documents and Settings\\"},
};

const SystemLayout* FindLayout(const std::string& name) {
    for (const SystemLayout& layout : kSystems)
        if (name == layout.name) return &layout;
    return nullptr;
}

// The shell folders below one profile (or, on the 95 platform, below the Windows folder).
void SetUserFolders(const std::string& base, const std::string& prefix, FolderMacroTable& macros) {
    const std::string startMenu = base + "スタート メニュー\\";
    macros.Set("(" + prefix + "Smn)", startMenu);
    macros.Set("(" + prefix + "Sta)", startMenu + "プログラム\\");
    macros.Set("(" + prefix + "Dsk)", base + "デスクトップ\\");
    macros.Set("(" + prefix + "Sup)", startMenu + "プログラム\\スタートアップ\\");
}

void SetLayoutFolders(const SystemLayout& layout, FolderMacroTable& macros) {
    const std::string windows = layout.windows;
    macros.Set("(Prg)", "C:\\Program Files\\");
    macros.Set("(Win)", windows);
    macros.Set("(Sys)", windows + layout.system + "\\");
    macros.Set("(Boo)", "C:\\");
    macros.Set("(Edr)", "D:\\");  // the package on a CD
    // The 95 platform keeps one user's folders in the Windows folder, and those stand for all users.
    const std::string user = layout.nt ? std::string(layout.profiles) + "User\\" : windows;
    const std::string allUsers = layout.nt ? std::string(layout.profiles) + "All Users\\" : windows;
    const std::string documents = layout.nt ? user + "My Documents\\" : "C:\\My Documents\\";
    macros.Set("(Tmp)", layout.nt ? user + "Local Settings\\Temp\\" : windows + "TEMP\\");
    SetUserFolders(user, "", macros);
    SetUserFolders(allUsers, "C_", macros);
    macros.Set("(Sen)", user + "SendTo\\");
    macros.Set("(Myd)", documents);
    macros.Set("(C_Myd)", layout.nt ? allUsers + "Documents\\" : documents);
}

}  // namespace

SampleSystem FindSampleSystem(const std::string& name) {
    const SystemLayout* layout = FindLayout(name);
    return layout ? SampleSystem{layout->name, layout->nt} : SampleSystem{};
}

std::vector<std::string> SampleSystemNames() {
    std::vector<std::string> names;
    for (const SystemLayout& layout : kSystems) names.emplace_back(layout.name);
    return names;
}

void SetSampleFolders(const SampleMachine& machine, FolderMacroTable& macros) {
    SetLayoutFolders(*FindLayout(machine.system.name), macros);
    for (const auto& [token, folder] : machine.folders) macros.Set(token, AddPathDelimiter(folder, "B"));
}

void SetInstallFolder(const std::string& installFolder, FolderMacroTable& macros) {
    const std::string app = AddPathDelimiter(installFolder, "B");
    macros.Set("(App)", app);
    macros.Set("(Set)", app.substr(0, 2) + "\\");
}

std::string PrepareSampleMachine(const ScriptFile& script, const SampleMachine& machine) {
    FolderMacroTable& macros = FolderMacros();
    SetSampleFolders(machine, macros);
    macros.Set("(App)", "(App)");
    const ScriptOnlySources sources(script, kScriptName);
    const std::string proposal = ProposeInstallFolder(sources, kScriptName, macros.Get("(Win)"));
    std::string folder = AddPathDelimiter(ExpandFolderMacros(proposal), "B");
    SetInstallFolder(folder, macros);
    return folder;
}
