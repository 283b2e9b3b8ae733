#include "engine/shared_dll.h"

#include "engine/strings.h"

bool IsComponentFile(const std::string& path) {
    return ContainsText(".OCX", path) != 0 || ContainsText(".DLL", path) != 0;
}
