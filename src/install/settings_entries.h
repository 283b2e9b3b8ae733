#pragma once
// The entries that change the system's settings: [Registry] values, [Relate] associations,
// and the Add/Remove Programs entry's command.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// A [Registry] Key<n>: a seven-character root tag and a path, or an untagged path under "(Cuser)".
struct RegistryKeyText {
    std::string rootTag;
    std::string path;  // one leading and one trailing backslash removed
};
RegistryKeyText SplitRegistryKey(const std::string& keyText);

// Value kinds as the registry stores them.
enum class RegistryKind { String, Dword, Binary, ExpandString };
struct RegistryData {
    RegistryKind kind = RegistryKind::String;
    std::string text;          // String and ExpandString
    std::uint32_t number = 0;  // Dword and Binary (four bytes, least significant first)
};
// A text value of that kind (String or ExpandString).
RegistryData TextData(const std::string& text, RegistryKind kind = RegistryKind::String);

// A [Registry] Value<n> after folder-macro expansion; "(Pdd)" must already be taken out
// (removeDelimiter then drops one trailing backslash). No value: empty text, or a "(Bin)"
// text that is not a hexadecimal number.
std::optional<RegistryData> ParseRegistryValue(const std::string& value, bool removeDelimiter);
// Takes every "(Pdd)" out of the value; true when there was one.
bool TakeNoDelimiterMark(std::string& value);

// A signed decimal number, or hexadecimal after "$", in 32 bits.
std::optional<std::int32_t> ParseScriptNumber(const std::string& text);

struct Association {
    std::string extension;    // without the dot
    std::string description;  // the class's name
    std::string verb;
    std::string program;
    std::string command;  // program, quoted when it has a space, and the arguments
    std::string icon;     // program + "," + icon index
    std::string ClassName() const { return extension + "_auto_file"; }
};
// [Relate] Name<n> and the macro-expanded File<n>.
Association ParseAssociation(const std::string& name, const std::string& file);
std::string AssociationQuestion(const Association& association);
// The keys under the classes root whose default values make the association, with those values.
std::vector<std::pair<std::string, std::string>> AssociationKeys(const Association& association);

// The Add/Remove Programs entry's UninstallString: the uninstaller and the quoted log path.
std::string UninstallCommand(const std::string& uninstaller, const std::string& logPath);

// The Add/Remove Programs entry's key name ([Title] UnSetupKey, else the uninstall title) and the
// name the list shows ([Title] UnSetupDisplay, else the key name).
struct UninstallEntryName {
    std::string key;
    std::string display;
};
UninstallEntryName NameUninstallEntry(const std::string& unSetupKey, const std::string& unSetupDisplay,
                                      const std::string& unSetupTitle);

// The Add/Remove Programs entry's values in the order they are written: the name, the command,
// the icon, then each [Support] value that support(key) finds not empty.
std::vector<std::pair<std::string, RegistryData>> UninstallEntryValues(
    const std::string& display, const std::string& uninstaller, const std::string& logPath,
    const std::function<std::string(const char*)>& support);
