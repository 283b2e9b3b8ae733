#include "owned_win.h"

void CloseKernelHandle(HANDLE handle) {
    // Neither 0 nor INVALID_HANDLE_VALUE (-1): one comparison for both.
    if (reinterpret_cast<UINT_PTR>(handle) + 1 > 1) CloseHandle(handle);
}

void CloseFindHandle(HANDLE handle) {
    if (handle != INVALID_HANDLE_VALUE) FindClose(handle);
}

void CloseKey(HKEY key) {
    if (key) RegCloseKey(key);
}

void DeleteGdiObject(HGDIOBJ object) {
    if (object) DeleteObject(object);
}

void DeleteGlobalAtom(ATOM atom) {
    if (atom) GlobalDeleteAtom(atom);
}

void ReleaseModule(HMODULE module) {
    if (module) FreeLibrary(module);
}

void ReleaseInterface(IUnknown* object) {
    if (object) object->Release();
}
