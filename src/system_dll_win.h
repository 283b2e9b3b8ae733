// System DLLs loaded from the system folder alone. Windows looks for a DLL named without a
// path in the program's own folder first, and installers run from download folders, where
// anyone may have left a "version.dll": its code would run inside the program.
#pragma once

#include <windows.h>

#include "system_text_win.h"

// First thing in WinMain: DLLs loaded later, also by system DLLs on the program's behalf,
// come from the system folder, and the current folder is no longer searched. Where the
// system lacks the functions (before Windows 7 with its 2011 update) nothing changes.
void RestrictDllSearch();

// The DLL of that name in the system folder, kept loaded for the program's life (callers keep
// the functions they take in statics); null when it cannot be loaded.
HMODULE SystemDll(const char* name);

// A function of a loaded module, typed; null when the module or the function is missing
// (looked up, not imported, so that older Windows versions still start).
template <class Function>
Function ModuleFunction(HMODULE module, const char* name) {
    return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

// A function of a system DLL, or null.
template <class Function>
Function SystemFunction(const char* dll, const char* name) {
    return ModuleFunction<Function>(SystemDll(dll), name);
}

// The W form of a shell function when texts go to the system as UTF-16, else null. Looked up,
// not imported: the first Windows 95 shell may lack it, and a missing import stops a program
// from starting at all.
template <class Function>
Function ShellWide(const char* name) {
    return WideCalls() ? SystemFunction<Function>("shell32.dll", name) : nullptr;
}
