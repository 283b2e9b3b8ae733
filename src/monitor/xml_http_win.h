#pragma once
// The platform's XMLHTTP component, driven through its automation names.
#include <windows.h>
#include <oaidl.h>

#include <string>

class XmlHttp {
public:
    // Tries the component identifiers from the newest version down.
    XmlHttp();
    ~XmlHttp();
    XmlHttp(const XmlHttp&) = delete;
    XmlHttp& operator=(const XmlHttp&) = delete;

    explicit operator bool() const { return object_ != nullptr; }

    // GET url with an empty body. The body, decoded to the ANSI code page,
    // replaces result; a request that fails or does not finish within
    // timeoutMs leaves result as it was.
    void Get(const std::string& url, DWORD timeoutMs, std::string& result);

private:
    bool WaitUntilComplete(DWORD timeoutMs);

    IDispatch* object_ = nullptr;
};
