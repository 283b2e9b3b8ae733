#pragma once
// [ShortCut] Make<n> / Name<n> entries and which of the wizard's four choices governs each.
#include <string>

enum class ShortcutChoice { Desktop, StartMenu, StartUp, SendTo, Always };
// The first matching rule decides: "Dsk)", "Sta)" or exactly "Default", "Sup)", "Sen)".
ShortcutChoice ChoiceForName(const std::string& rawName);

struct ShortcutEntry {
    std::string target;
    std::string arguments;
    std::string link;  // without extension unless the script gave ".lnk"
    std::string workingFolder;
};
// Make<n> and Name<n> as written (an empty name counts as "Default"); folder macros expanded here.
ShortcutEntry ParseShortcutEntry(const std::string& make, const std::string& name);
std::string ShortcutEntryText(const ShortcutEntry& entry);
// The link file's name: ".lnk" added unless the path already mentions it.
std::string LinkFileName(const std::string& link);
