#include "monitor/lookup_win.h"

#include <windows.h>
#include <wininet.h>
#include <winsock.h>

#include <cstdlib>

#include "engine/ini_file_win.h"
#include "monitor/address_rules.h"
#include "monitor/settings_win.h"
#include "monitor/xml_http_win.h"
#include "system_dll_win.h"

// The deployment's servers; a build may name its own with -D, and
// "TovraNet.ini" beside the program overrides both (see the monitor's guide).
#ifndef TOVRA_FIRST_HOST
#define TOVRA_FIRST_HOST "ip1.tovra.example"
#endif
#ifndef TOVRA_SECOND_HOST
#define TOVRA_SECOND_HOST "ip2.tovra.example"
#endif

int ServerIndex = 0;

namespace {

constexpr DWORD kDefaultTimeoutSeconds = 10;

std::string NetSetting(const char* key, const char* fallback) {
    return ReadIniValue("Servers", key, fallback, ProgramFile("TovraNet.ini"));
}

Server ServerNumber(int index) {
    return index == 1 ? FirstServer(NetSetting("First", TOVRA_FIRST_HOST))
                      : SecondServer(NetSetting("Second", TOVRA_SECOND_HOST));
}

// Each request ends after this many milliseconds at the latest.
DWORD RequestTimeoutMs() {
    // Its leading decimal number, as the system reads a number from an INI file.
    const std::string value = NetSetting("TimeoutSeconds", "");
    const long seconds = value.empty() ? kDefaultTimeoutSeconds : std::strtol(value.c_str(), nullptr, 10);
    return (seconds >= 1 && seconds <= 600 ? seconds : kDefaultTimeoutSeconds) * 1000;
}

// The server's answer, or the empty text. Each request has an object of its own.
std::string Ask(const std::string& url) {
    XmlHttp request;
    return request ? request.Get(url, RequestTimeoutMs()) : std::string();
}

}  // namespace

bool InternetEnvironmentCheck() {
    DWORD flags = 0;
    static const auto connected =
        SystemFunction<decltype(&InternetGetConnectedState)>("WININET.DLL", "InternetGetConnectedState");
    if (connected) connected(&flags, 0);
    return ConnectionAllowsRequest(flags);
}

std::string getGlobalIP() {
    ServerIndex = 0;
    if (!InternetEnvironmentCheck()) return kNotConnected;
    std::string result = Ask(AddressUrl(ServerNumber(1)));
    if (IsValidAddressAnswer(result)) {
        ServerIndex = 1;
        return result;
    }
    // The second server's answer as it came, even none: never the first one's left over.
    result = Ask(AddressUrl(ServerNumber(2)));
    if (IsValidAddressAnswer(result)) ServerIndex = 2;
    return result;
}

std::string getHostNameCGI() {
    if (!InternetEnvironmentCheck()) return kNotConnected;
    return ServerIndex == 0 ? std::string() : Ask(HostNameUrl(ServerNumber(ServerIndex)));
}

std::string GetLocalIPAddress() {
    std::string result;
    // Winsock 1.1, from the system folder.
    static const auto startup = SystemFunction<decltype(&WSAStartup)>("WSOCK32.DLL", "WSAStartup");
    static const auto cleanup = SystemFunction<decltype(&WSACleanup)>("WSOCK32.DLL", "WSACleanup");
    static const auto hostName = SystemFunction<decltype(&gethostname)>("WSOCK32.DLL", "gethostname");
    static const auto byName = SystemFunction<decltype(&gethostbyname)>("WSOCK32.DLL", "gethostbyname");
    WSADATA data;
    if (!startup || !cleanup || !hostName || !byName || startup(MAKEWORD(1, 1), &data) != 0) return result;
    char name[65] = "";
    if (hostName(name, 64) == 0) {
        hostent* entry = byName(name);
        if (entry && entry->h_addrtype == AF_INET && entry->h_addr_list[0]) {
            result = DottedAddress(reinterpret_cast<const unsigned char*>(entry->h_addr_list[0]));
        }
    }
    cleanup();
    return result;
}
