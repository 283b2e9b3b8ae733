#pragma once
// TWinReboot: asks Windows to restart, with the shutdown privilege switched on around the request.
#include <string>

class TWinReboot {
public:
    // Switches one privilege of this process's token; true when the adjustment call succeeded.
    bool EnableShutdownPrivilege(const std::string& privilege, bool enable);
    // ExitWindowsEx with the mode; true when the request was accepted.
    bool RestartWindows(unsigned mode);
};
