#pragma once
// The platform's XMLHTTP component, driven through its automation names.
#include <windows.h>
#include <oaidl.h>

#include <string>

#include "owned_win.h"

class XmlHttp {
public:
    // Tries the component identifiers from the newest version down.
    XmlHttp();
    XmlHttp(const XmlHttp&) = delete;
    XmlHttp& operator=(const XmlHttp&) = delete;

    explicit operator bool() const { return object_.valid(); }

    // GET url with an empty body: the body, decoded to the ANSI code page, or the empty
    // text when the request fails or does not finish within timeoutMs.
    std::string Get(const std::string& url, DWORD timeoutMs);

private:
    bool WaitUntilComplete(DWORD timeoutMs);

    OwnedCom<IDispatch> object_;
};
