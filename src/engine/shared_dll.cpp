#include "engine/shared_dll.h"

#include "engine/code_page.h"

#include "engine/strings.h"

bool IsComponentFile(const std::string& path) {
    return ContainsText(".OCX", path) != 0 || ContainsText(".DLL", path) != 0;
}

std::string SharedNameKey(const std::string& name) {
    std::string key;
    key.reserve(name.size());
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        if (CurrentCodePage().IsLeadByte(static_cast<unsigned char>(c)) && i + 1 < name.size()) {
            key += "\x81\x40";
            ++i;
        } else {
            key += c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
        }
    }
    return key;
}
