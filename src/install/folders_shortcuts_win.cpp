// [MakeFolder] folders and [ShortCut] shell links.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "engine/environment.h"
#include "engine/file_copy_win.h"
#include "engine/files_win.h"
#include "engine/ini_file_win.h"
#include "engine/messages_win.h"
#include "engine/paths.h"
#include "engine/strings.h"
#include "install/installation_win.h"
#include "install/shortcut_entry.h"
#include "owned_win.h"
#include "system_files_win.h"
#include "system_text_win.h"

namespace {

// The name the link's file is saved under, which the shell takes as UTF-16 on every system:
// a 9x shell turns it back into bytes through its own code page, which these came from.
std::wstring FileNameForShell(const std::string& text) {
    if (WideCalls()) return Wide(text);
    int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(n > 0 ? static_cast<std::size_t>(n) : 1, L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), n);
    return wide;
}

std::string AsIs(const std::string& text) { return text; }

// Saves a shell link through the shell's A or W interface, its texts made by convert; false
// when the shell's link object is not available.
template <class Link, class Convert>
bool SaveLinkThrough(REFIID kind, Convert convert, const ShortcutEntry& entry, const std::string& workingFolder,
                     const std::string& file) {
    OwnedCom<Link> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, kind,
                                reinterpret_cast<void**>(link.put()))) ||
        !link.valid())
        return false;
    OwnedCom<IPersistFile> persist;
    if (FAILED(link.get()->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(persist.put()))) ||
        !persist.valid())
        return false;
    link.get()->SetPath(convert(entry.target).c_str());
    link.get()->SetWorkingDirectory(convert(workingFolder).c_str());
    if (!entry.arguments.empty()) link.get()->SetArguments(convert(entry.arguments).c_str());
    persist.get()->Save(FileNameForShell(file).c_str(), FALSE);
    return true;
}

bool SaveShellLink(const ShortcutEntry& entry, const std::string& workingFolder, const std::string& file) {
    if (WideCalls()) return SaveLinkThrough<IShellLinkW>(IID_IShellLinkW, Wide, entry, workingFolder, file);
    return SaveLinkThrough<IShellLinkA>(IID_IShellLinkA, AsIs, entry, workingFolder, file);
}

bool ShortcutChosen(Installation& run, const std::string& rawName) {
    switch (ChoiceForName(rawName)) {
        case ShortcutChoice::Desktop: return run.context.choices.desktop;
        case ShortcutChoice::StartMenu: return run.context.choices.startMenu;
        case ShortcutChoice::StartUp: return run.context.choices.startUp;
        case ShortcutChoice::SendTo: return run.context.choices.sendTo;
        case ShortcutChoice::Always: break;
    }
    return true;
}

}  // namespace

// The created file's path, or empty when no link could be made.
std::string CreateShortcutFile(const ShortcutEntry& entry) {
    std::string file = LinkFileName(entry.link);
    std::string folder = entry.workingFolder;
    if (folder.empty() || !FolderExists(folder)) folder = FolderOfPath(entry.target);
    folder = AddPathDelimiter(folder, "B");
    // A folder that cannot be made fails the link's save or copy below.
    if (!FolderExists(FolderOfPath(file))) (void)CreateFolderPath(FolderOfPath(file));
    if (ContainsText(".LNK", entry.target)) {
        // The target is a ready link: it is copied as it is.
        return CopyOneFile(entry.target, file) == 0 ? file : "";
    }
    if (!SaveShellLink(entry, folder, file)) return "";
    // Links to MS-DOS programs are stored as program information files.
    if (!FileExists(file)) return file.substr(0, file.size() - 4) + ".pif";
    return file;
}

void MakeFolders(Installation& run) {
    BeginStep(run, "フォルダを作成しています．．．", StepResult::Done);
    for (const std::string& value : ReadNumberedValues("MakeFolder", "Folder", Environment().ScriptPath)) {
        const std::string path = ExpandFolderMacros(AddPathDelimiter(value, "B"));
        ShowEntry(run, "【作成中】 -> " + path);
        Journal(run, JournalKind::Folder, path);
        // Only the one folder: deep folders are listed level by level. One that was there is recorded too.
        const DWORD error = CreateDirectory932(path.c_str(), nullptr) ? 0 : GetLastError();
        if (error == 0 || error == ERROR_ALREADY_EXISTS) run.state.lists.folders.current.push_back(path);
        else run.status.AddFailure("<Folder> " + path + "\r\n" + SystemErrorText(error));
        Pause(run);
    }
    EndStep(run);
}

void MakeShortcuts(Installation& run) {
    BeginStep(run, "ショートカットを作成しています．．．", StepResult::Nothing);
    const std::vector<std::string> makes = ReadNumberedValues("ShortCut", "Make", Environment().ScriptPath);
    for (std::size_t i = 0; i < makes.size(); ++i) {
        std::string name = ScriptValue("ShortCut", "Name" + std::to_string(i + 1));
        if (name.empty()) name = "Default";
        if (!ShortcutChosen(run, name)) continue;
        const ShortcutEntry entry = ParseShortcutEntry(makes[i], name);
        ShowEntry(run, ShortcutEntryText(entry));
        Journal(run, JournalKind::Shortcut, LinkFileName(entry.link));
        const std::string created = CreateShortcutFile(entry);
        if (!created.empty() && created != LinkFileName(entry.link)) Journal(run, JournalKind::Shortcut, created);
        Pause(run);
        // A link that could not be made is not recorded: an empty log line would end the list early.
        if (!created.empty()) run.state.lists.shortcuts.current.push_back(created);
        run.status.StepStatus = StepResult::Done;
    }
    EndStep(run);
}
