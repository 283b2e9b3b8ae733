#include "check/script_file.h"

#include "engine/code_page.h"
#include "engine/strings.h"

namespace {

std::string Trim(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string Unquote(const std::string& value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

std::string Upper(const std::string& text) { return MapString(text, kMapUpperCase); }

std::string KeyId(const std::string& section, const std::string& key) { return Upper(section) + "]" + Upper(key); }

}  // namespace

ScriptFile::ScriptFile(const std::string& text) {
    std::size_t start = 0;
    int number = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) end = text.size();
        const std::string line = Trim(text.substr(start, end - start));
        ++number;
        if (!line.empty() && line[0] == '[') {
            const std::size_t close = line.find(']');
            sections_.push_back(
                {Trim(line.substr(1, close == std::string::npos ? std::string::npos : close - 1)), number, {}});
            sectionIndex_.emplace(Upper(sections_.back().name), sections_.size() - 1);
        } else if (!line.empty() && line[0] != ';') {
            AddKey(line, number);
        }
        start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    // Indexed once all keys are in place, so the vectors no longer move.
    for (std::size_t i = 0; i < sections_.size(); ++i)
        for (const ScriptKey& key : sections_[i].keys)
            keyIndex_.emplace(KeyId(sections_[i].name, key.name), KeyPlace{i, &key});
}

void ScriptFile::AddKey(const std::string& line, int number) {
    if (sections_.empty()) return;  // the system ignores lines before the first section
    const std::size_t equals = line.find('=');
    ScriptKey key{Trim(line.substr(0, equals)), "", number};
    if (equals != std::string::npos) key.value = Unquote(Trim(line.substr(equals + 1)));
    sections_.back().keys.push_back(std::move(key));
}

const ScriptKey* ScriptFile::Find(const std::string& section, const std::string& key) const {
    const auto first = sectionIndex_.find(Upper(section));
    if (first == sectionIndex_.end()) return nullptr;
    const auto found = keyIndex_.find(KeyId(section, key));
    // Only the first section of a name counts; a key of a later repeat is not read.
    if (found == keyIndex_.end() || found->second.section != first->second) return nullptr;
    return found->second.key;
}

std::string ScriptFile::Value(const std::string& section, const std::string& key) const {
    const ScriptKey* found = Find(section, key);
    return found ? found->value : "";
}

int ScriptFile::SectionLine(const std::string& section) const {
    const auto found = sectionIndex_.find(Upper(section));
    return found == sectionIndex_.end() ? 0 : sections_[found->second].line;
}

std::vector<const ScriptKey*> NumberedKeys(const ScriptFile& script, const std::string& section,
                                           const std::string& prefix) {
    std::vector<const ScriptKey*> keys;
    for (int n = 1;; ++n) {
        const ScriptKey* key = script.Find(section, prefix + std::to_string(n));
        if (!key || key->value.empty()) return keys;
        keys.push_back(key);
    }
}

std::string ScriptOnlySources::Ini(const std::string& section, const std::string& key, const std::string& defaultValue,
                                   const std::string& file) const {
    if (file != scriptPath_) return defaultValue;
    const ScriptKey* found = script_.Find(section, key);
    return found ? found->value : defaultValue;
}
