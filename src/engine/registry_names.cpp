#include "engine/registry_names.h"

namespace {

struct RootName {
    const char* tag;
    const char* name;
};
constexpr RootName kRoots[] = {{"(Cuser)", "HKEY_CURRENT_USER"},
                               {"(Class)", "HKEY_CLASSES_ROOT"},
                               {"(Local)", "HKEY_LOCAL_MACHINE"},
                               {"(Users)", "HKEY_USERS"}};

}  // namespace

bool IsRootTag(const std::string& tag) {
    for (const RootName& root : kRoots)
        if (tag == root.tag) return true;
    return false;
}

const char* RegistryRootName(const std::string& tag) {
    for (const RootName& root : kRoots)
        if (tag == root.tag) return root.name;
    return kRoots[0].name;
}
