#pragma once
// What the monitor decides about addresses: whether the connection state allows
// a request, whether a server's answer is an address, and where to ask.
#include <string>
#include <string_view>

// Connection-state flag bits as the system reports them.
constexpr unsigned kConnectionModem = 0x01;
constexpr unsigned kConnectionLan = 0x02;
constexpr unsigned kConnectionProxy = 0x04;
constexpr unsigned kConnectionRasInstalled = 0x10;
constexpr unsigned kConnectionOffline = 0x20;

// The first of modem, LAN, proxy, RAS, offline that is set decides; a modem
// connection counts as not connected.
bool ConnectionAllowsRequest(unsigned flags);

// Valid when not empty and numeric once every "." is removed. The answer
// itself is passed on untouched; this only judges it.
bool IsValidAddressAnswer(std::string_view answer);

// The four bytes of an IPv4 address in network order, as 192.168.1.10.
std::string DottedAddress(const unsigned char bytes[4]);

// "未接続": shown and written in place of both values when offline.
extern const char* const kNotConnected;

struct Server {
    std::string host;  // host name, optionally with ":port"
    const char* addressPath;
    const char* hostNamePath;
};

// The two servers in the order they are asked, with the given hosts.
Server FirstServer(const std::string& host);
Server SecondServer(const std::string& host);
std::string AddressUrl(const Server& server);
std::string HostNameUrl(const Server& server);
