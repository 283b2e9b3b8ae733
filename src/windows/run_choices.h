#pragma once
// What the user chose on the wizard's main page, read from it once when a run starts: the
// runs take these and never read a window.
#include <string>

struct InstallChoices {
    std::string folder;  // as the folder field holds it
    bool overwrite = true;
    bool desktop = false, startMenu = false, startUp = false, sendTo = false;
};

struct UninstallChoices {
    std::string folder;      // as the folder field holds it; empty when the log names none
    std::string patterns;    // further files to delete in the folder, "*.INI|*.GID|" and the like
    bool deleteAll = false;  // everything below the folder goes, whatever the log lists
};
