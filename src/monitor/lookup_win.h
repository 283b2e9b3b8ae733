#pragma once
// Asking the two web servers for the global address and host name, and the
// system for the local address. Every failure ends in an empty or kept value.
#include <string>

// Which server gave the last valid address: 0 none, 1 first, 2 second.
extern int ServerIndex;

bool InternetEnvironmentCheck();
std::string getGlobalIP();
std::string getHostNameCGI();
std::string GetLocalIPAddress();
