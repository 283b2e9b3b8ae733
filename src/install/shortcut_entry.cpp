#include "install/shortcut_entry.h"

#include "engine/paths.h"
#include "engine/strings.h"

ShortcutChoice ChoiceForName(const std::string& rawName) {
    if (ContainsText("Dsk)", rawName)) return ShortcutChoice::Desktop;
    if (ContainsText("Sta)", rawName) || rawName == "Default") return ShortcutChoice::StartMenu;
    if (ContainsText("Sup)", rawName)) return ShortcutChoice::StartUp;
    if (ContainsText("Sen)", rawName)) return ShortcutChoice::SendTo;
    return ShortcutChoice::Always;
}

ShortcutEntry ParseShortcutEntry(const std::string& make, const std::string& rawName) {
    const std::string name = rawName.empty() ? "Default" : rawName;
    ShortcutEntry entry;
    const std::string expanded = ExpandFolderMacros(make);
    entry.target = GetField(expanded, ",", 1);
    entry.arguments = GetField(expanded, ",", 2);
    std::string link = name == "Default" ? NameOfPath(entry.target) : name;
    if (!FindText("(", link) && !FindText(")", link)) link = "(Sta)" + link;
    link = ExpandFolderMacros(link);
    entry.link = GetField(link, ",", 1);
    entry.workingFolder = GetField(link, ",", 2);
    return entry;
}

std::string ShortcutEntryText(const ShortcutEntry& entry) {
    return "【作成元】" + entry.target + "\r\n【作成先】" + RemovePathDelimiter(entry.link, "T") + "\r\n";
}

std::string LinkFileName(const std::string& link) { return ContainsText(".lnk", link) ? link : link + ".lnk"; }
