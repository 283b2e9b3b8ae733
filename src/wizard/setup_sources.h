#pragma once
// What the wizard's decisions read: INI files (the script copy and others), the
// registry and the file system. Windows answers them for real; tests answer from memory.
#include <string>

class SetupSources {
public:
    virtual ~SetupSources() = default;
    virtual std::string Ini(const std::string& section, const std::string& key, const std::string& defaultValue,
                            const std::string& file) const = 0;
    // A text value of an existing key, never creating the key; empty when absent or not text.
    virtual std::string RegistryText(const std::string& rootTag, const std::string& keyPath,
                                     const std::string& valueName) const = 0;
    virtual bool FileExists(const std::string& path) const = 0;
};
