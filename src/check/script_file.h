#pragma once
// A setup script read as the system's profile functions read it, keeping where each
// section and key stands so that findings can name the line.
#include <string>
#include <unordered_map>
#include <vector>

#include "wizard/setup_sources.h"

// The script's name beside setup.exe; the wizard's readers take it as the script's path.
constexpr const char* kScriptName = "SETUP.INI";

struct ScriptKey {
    std::string name;
    std::string value;
    int line = 0;
};

struct ScriptSection {
    std::string name;
    int line = 0;
    std::vector<ScriptKey> keys;
};

class ScriptFile {
public:
    // Lines end in CR LF, LF or CR; ";" starts a comment line; blanks around names and
    // values are dropped and one pair of quotes around a value is taken off.
    explicit ScriptFile(const std::string& text);

    // Every section and key in file order, repeats included.
    const std::vector<ScriptSection>& Sections() const { return sections_; }
    // The key the system reads: the first of that name in the first section of that name.
    const ScriptKey* Find(const std::string& section, const std::string& key) const;
    std::string Value(const std::string& section, const std::string& key) const;
    // The line of the section's header, or 0 when the script has no such section.
    int SectionLine(const std::string& section) const;

private:
    void AddKey(const std::string& line, int number);
    std::vector<ScriptSection> sections_;
    struct KeyPlace {
        std::size_t section;
        const ScriptKey* key;
    };
    std::unordered_map<std::string, std::size_t> sectionIndex_;  // upper-case name -> first section
    std::unordered_map<std::string, KeyPlace> keyIndex_;         // upper "SECTION]KEY" -> first key
};

// The numbered keys prefix1, prefix2, ... up to the first missing or empty one, as the runs read them.
std::vector<const ScriptKey*> NumberedKeys(const ScriptFile& script, const std::string& section,
                                           const std::string& prefix);

// The wizard's view of a fresh machine: the script answers, other INI files, the registry
// and the file system hold nothing yet.
class ScriptOnlySources final : public SetupSources {
public:
    ScriptOnlySources(const ScriptFile& script, std::string scriptPath)
        : script_(script), scriptPath_(std::move(scriptPath)) {}
    std::string Ini(const std::string& section, const std::string& key, const std::string& defaultValue,
                    const std::string& file) const override;
    std::string RegistryText(const std::string&, const std::string&, const std::string&) const override { return ""; }
    bool FileExists(const std::string&) const override { return false; }

private:
    const ScriptFile& script_;
    std::string scriptPath_;
};
