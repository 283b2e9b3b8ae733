#include "wizard/setup_sources_win.h"

#include <windows.h>

#include "engine/files_win.h"
#include "engine/ini_file_win.h"
#include "engine/registry_win.h"

namespace {

class WindowsSources final : public SetupSources {
public:
    std::string Ini(const std::string& section, const std::string& key, const std::string& defaultValue,
                    const std::string& file) const override {
        return ReadIniValue(section, key, defaultValue, file);
    }

    std::string RegistryText(const std::string& rootTag, const std::string& keyPath,
                             const std::string& valueName) const override {
        return ReadRegistryText(RegistryRootFor(rootTag), keyPath, valueName);
    }

    bool FileExists(const std::string& path) const override { return ::FileExists(path); }
};

}  // namespace

const SetupSources& SystemSources() {
    static const WindowsSources sources;
    return sources;
}
