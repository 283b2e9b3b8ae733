#include "monitor/address_rules.h"

#include "monitor/text_rules.h"

const char* const kNotConnected = "未接続";

bool ConnectionAllowsRequest(unsigned flags) {
    static const struct {
        unsigned bit;
        bool allows;
    } kDecisions[] = {
        {kConnectionModem, false},        {kConnectionLan, true},      {kConnectionProxy, true},
        {kConnectionRasInstalled, false}, {kConnectionOffline, false},
    };
    for (const auto& decision : kDecisions) {
        if (flags & decision.bit) return decision.allows;
    }
    return false;
}

bool IsValidAddressAnswer(std::string_view answer) {
    if (answer.empty()) return false;
    std::string withoutDots;
    for (char c : answer) {
        if (c != '.') withoutDots += c;
    }
    // Sign, digits and surrounding blanks only: an exponent or a group
    // separator never belongs in an address.
    std::string number = TrimBlanks(withoutDots);
    std::size_t start = (!number.empty() && (number[0] == '+' || number[0] == '-')) ? 1 : 0;
    if (start == number.size()) return false;
    for (std::size_t i = start; i < number.size(); ++i) {
        if (number[i] < '0' || number[i] > '9') return false;
    }
    return true;
}

std::string DottedAddress(const unsigned char bytes[4]) {
    return std::to_string(bytes[0]) + "." + std::to_string(bytes[1]) + "." + std::to_string(bytes[2]) + "." +
           std::to_string(bytes[3]);
}

Server FirstServer(const std::string& host) { return {host, "/soft/Tovra/tvaddr.cgi", "/soft/Tovra/tvhost.cgi"}; }

Server SecondServer(const std::string& host) { return {host, "/Tovra/tvaddr.cgi", "/Tovra/tvhost.cgi"}; }

std::string AddressUrl(const Server& server) { return "https://" + server.host + server.addressPath; }

std::string HostNameUrl(const Server& server) { return "https://" + server.host + server.hostNamePath; }
