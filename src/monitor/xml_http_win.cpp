#include "monitor/xml_http_win.h"

#include <algorithm>
#include <initializer_list>
#include <utility>
#include <vector>

#include "system_windows_win.h"

namespace {

const wchar_t* const kProgIds[] = {L"Msxml2.XMLHTTP.4.0", L"Msxml2.XMLHTTP.3.0", L"Msxml2.XMLHTTP.2.6",
                                   L"Msxml2.XMLHTTP", L"Microsoft.XMLHTTP"};
constexpr LONG kReadyStateComplete = 4;
constexpr DWORD kPollMs = 20;

IDispatch* CreateXmlHttp() {
    for (const wchar_t* progId : kProgIds) {
        CLSID clsid;
        IDispatch* object = nullptr;
        if (SUCCEEDED(CLSIDFromProgID(progId, &clsid)) &&
            SUCCEEDED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                       reinterpret_cast<void**>(&object)))) {
            return object;
        }
    }
    return nullptr;
}

// Calls a method or reads a property by name; args are given in call order.
HRESULT Call(IDispatch* object, const wchar_t* name, WORD kind, std::vector<VARIANT> args, VARIANT* result) {
    DISPID id;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &params, result, nullptr, nullptr);
}

VARIANT Text(BSTR text) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = text;
    return v;
}

VARIANT Flag(bool value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BOOL;
    v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}

BSTR WideFromAnsi(const std::string& text) {
    int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    BSTR wide = SysAllocStringLen(nullptr, length);
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide, length);
    return wide;
}

std::string AnsiFromWide(BSTR wide) {
    int wideLength = static_cast<int>(SysStringLen(wide));
    int length = WideCharToMultiByte(CP_ACP, 0, wide, wideLength, nullptr, 0, nullptr, nullptr);
    std::string text(length, '\0');
    WideCharToMultiByte(CP_ACP, 0, wide, wideLength, text.data(), length, nullptr, nullptr);
    return text;
}

LONG IntegerProperty(IDispatch* object, const wchar_t* name) {
    VARIANT value;
    VariantInit(&value);
    LONG result = -1;
    if (SUCCEEDED(Call(object, name, DISPATCH_PROPERTYGET, {}, &value)) &&
        SUCCEEDED(VariantChangeType(&value, &value, 0, VT_I4))) {
        result = value.lVal;
    }
    VariantClear(&value);
    return result;
}

// Lets the request's own notification windows run while the scan waits;
// false once the program is asked to end.
bool PumpMessages() {
    MSG msg;
    while (PeekMessage932(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        TranslateMessage(&msg);
        DispatchMessage932(&msg);
    }
    return true;
}

// Requests given up on that have not ended yet. An aborted request object of Wine's can
// hand its late answer to the next request object made (its callback outlives it), so a
// request past its time limit is left to end on its own, and released once it has.
std::vector<OwnedCom<IDispatch>> abandoned;

void ReleaseEndedRequests() {
    std::erase_if(abandoned, [](const OwnedCom<IDispatch>& object) {
        return IntegerProperty(object.get(), L"readyState") == kReadyStateComplete;
    });
}

}  // namespace

XmlHttp::XmlHttp() {
    ReleaseEndedRequests();
    object_.reset(CreateXmlHttp());
}

bool XmlHttp::WaitUntilComplete(DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (IntegerProperty(object_.get(), L"readyState") != kReadyStateComplete) {
        DWORD waited = GetTickCount() - start;
        if (waited >= timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, std::min(kPollMs, timeoutMs - waited), QS_ALLINPUT);
        if (!PumpMessages()) return false;
    }
    return true;
}

std::string XmlHttp::Get(const std::string& url, DWORD timeoutMs) {
    // Opened asynchronously: a synchronous send has no time limit of its own.
    VARIANT method = Text(SysAllocString(L"GET")), target = Text(WideFromAnsi(url));
    VARIANT body = Text(SysAllocString(L""));
    bool sent = SUCCEEDED(Call(object_.get(), L"open", DISPATCH_METHOD, {method, target, Flag(true)}, nullptr)) &&
                SUCCEEDED(Call(object_.get(), L"send", DISPATCH_METHOD, {body}, nullptr));
    for (VARIANT* v : {&method, &target, &body}) VariantClear(v);
    if (!sent) return {};
    if (!WaitUntilComplete(timeoutMs)) {
        abandoned.push_back(std::move(object_));
        return {};
    }
    // Status 0 means no answer arrived at all (refused, no route, TLS failure).
    if (IntegerProperty(object_.get(), L"status") <= 0) return {};
    std::string result;
    VARIANT text;
    VariantInit(&text);
    if (SUCCEEDED(Call(object_.get(), L"responseText", DISPATCH_PROPERTYGET, {}, &text)) && text.vt == VT_BSTR) {
        result = AnsiFromWide(text.bstrVal);
    }
    VariantClear(&text);
    return result;
}
