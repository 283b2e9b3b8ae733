#pragma once
// The entries that change the system's settings: [Registry] values, [Relate] associations,
// and the Add/Remove Programs entry's command.
#include <cstdint>
#include <optional>
#include <string>

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

// The Add/Remove Programs entry's UninstallString: the uninstaller and the quoted log path.
std::string UninstallCommand(const std::string& uninstaller, const std::string& logPath);
