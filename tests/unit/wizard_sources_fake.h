#pragma once
// In-memory INI files, registry values and files for the wizard's portable decisions.
#include <map>
#include <set>
#include <string>
#include <tuple>

#include "engine/strings.h"
#include "wizard/setup_sources.h"

class MemorySources final : public SetupSources {
public:
    void SetIni(const std::string& file, const std::string& section, const std::string& key, const std::string& value) {
        ini_[{Upper(file), Upper(section), Upper(key)}] = value;
    }
    void SetRegistry(const std::string& root, const std::string& key, const std::string& name,
                     const std::string& value) {
        registry_[{root, key, name}] = value;
    }
    void AddFile(const std::string& path) { files_.insert(Upper(path)); }

    std::string Ini(const std::string& section, const std::string& key, const std::string& defaultValue,
                    const std::string& file) const override {
        auto it = ini_.find({Upper(file), Upper(section), Upper(key)});
        return it == ini_.end() ? defaultValue : it->second;
    }
    std::string RegistryText(const std::string& root, const std::string& key, const std::string& name) const override {
        auto it = registry_.find({root, key, name});
        return it == registry_.end() ? "" : it->second;
    }
    bool FileExists(const std::string& path) const override { return files_.count(Upper(path)) != 0; }

private:
    static std::string Upper(const std::string& s) { return MapString(s, 0x200); }
    std::map<std::tuple<std::string, std::string, std::string>, std::string> ini_;
    std::map<std::tuple<std::string, std::string, std::string>, std::string> registry_;
    std::set<std::string> files_;
};
