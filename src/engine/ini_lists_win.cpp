// Setup's numbered lists, the script's and the log's: apart from ini_file_win.cpp, which Tovra
// shares and which needs none of them.
#include "engine/ini_file_win.h"
#include "engine/ini_slot.h"
#include "engine/ini_text.h"

std::vector<std::string> ReadNumberedValues(const std::string& section, const std::string& prefix,
                                            const std::string& file) {
    return NumberedValues(IniSectionLines(ReadIniText(file), section), prefix);
}
