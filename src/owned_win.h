#pragma once
// Owners of the system's resources: each is released when its owner goes, on every path, and
// nothing is ever released by hand.
#include <windows.h>
#include <objbase.h>

#include <utility>

// Kind says what a resource is: its type, its empty value, and Release, which lets go of a
// value and ignores an empty one. The releases are out of line: inlined at every owner they
// cost setup.exe a kilobyte.
template <typename Kind>
class Owned {
public:
    using Type = typename Kind::Type;

    Owned() = default;
    explicit Owned(Type value) : value_(value) {}
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    Owned(Owned&& other) noexcept : value_(other.release()) {}
    Owned& operator=(Owned&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~Owned() { Kind::Release(value_); }

    Type get() const { return value_; }
    bool valid() const { return Kind::Valid(value_); }
    // Releases what is held and holds value instead.
    void reset(Type value = Kind::Empty()) { Kind::Release(std::exchange(value_, value)); }
    // Gives up ownership: the caller releases what comes back.
    Type release() { return std::exchange(value_, Kind::Empty()); }
    // For a function that hands a resource back through a pointer; what was held goes first.
    Type* put() {
        reset();
        return &value_;
    }

private:
    Type value_ = Kind::Empty();
};

// Each releases what it is given unless that is empty (owned_win.cpp).
void CloseKernelHandle(HANDLE handle);
void CloseFindHandle(HANDLE handle);
void CloseKey(HKEY key);
void DeleteGdiObject(HGDIOBJ object);
void DeleteGlobalAtom(ATOM atom);
void ReleaseModule(HMODULE module);
void ReleaseInterface(IUnknown* object);

// Kinds whose empty value is zero.
template <typename T, auto ReleaseFunction>
struct ZeroEmpty {
    using Type = T;
    static T Empty() { return T{}; }
    static bool Valid(T value) { return value != T{}; }
    static void Release(T value) { ReleaseFunction(value); }
};

// A kernel handle (a file, a mutex, a process, an event, a token): either empty value counts.
struct KernelHandleKind {
    using Type = HANDLE;
    static HANDLE Empty() { return INVALID_HANDLE_VALUE; }
    static bool Valid(HANDLE handle) { return handle != INVALID_HANDLE_VALUE && handle != nullptr; }
    static void Release(HANDLE handle) { CloseKernelHandle(handle); }
};
using OwnedHandle = Owned<KernelHandleKind>;

struct FindHandleKind {
    using Type = HANDLE;
    static HANDLE Empty() { return INVALID_HANDLE_VALUE; }
    static bool Valid(HANDLE handle) { return handle != INVALID_HANDLE_VALUE; }
    static void Release(HANDLE handle) { CloseFindHandle(handle); }
};
using OwnedFind = Owned<FindHandleKind>;

using OwnedKey = Owned<ZeroEmpty<HKEY, CloseKey>>;
template <typename T>
using OwnedGdi = Owned<ZeroEmpty<T, DeleteGdiObject>>;
using OwnedAtom = Owned<ZeroEmpty<ATOM, DeleteGlobalAtom>>;
using OwnedModule = Owned<ZeroEmpty<HMODULE, ReleaseModule>>;
// A COM interface pointer.
template <typename Interface>
using OwnedCom = Owned<ZeroEmpty<Interface*, ReleaseInterface>>;

// The thread's COM apartment, from construction to destruction.
class ComApartment {
public:
    ComApartment() { CoInitialize(nullptr); }
    ~ComApartment() { CoUninitialize(); }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
};

// A window's device context, from GetDC.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDc() { ReleaseDC(window_, dc_); }  // a null context is refused harmlessly
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;

    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};
