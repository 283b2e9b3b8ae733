// The monitor's requests through the real XMLHTTP component against a small
// HTTP server on 127.0.0.1 run by the test itself, and the system lookups.
#include <winsock2.h>
#include <windows.h>
#include <wininet.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <string>

#include "monitor/address_rules.h"
#include "test_support_win.h"
#include "monitor/lookup_win.h"
#include "monitor/xml_http_win.h"
#include "owned_win.h"

namespace {

// Accepts one connection on 127.0.0.1 and answers it with body, or holds it
// open without an answer until stopped when hang is set.
class LocalHttpServer {
public:
    LocalHttpServer(std::string body, bool hang) : body_(std::move(body)), hang_(hang) {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        int length = sizeof address;
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        listen(listener_, 4);
        thread_.Start([this] { Serve(); });
    }
    ~LocalHttpServer() {
        stop_ = true;
        closesocket(listener_);
        thread_.join();
        WSACleanup();
    }
    std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/soft/Tovra/tvaddr.cgi"; }

private:
    void Serve() {
        SOCKET client = accept(listener_, nullptr, nullptr);
        if (client == INVALID_SOCKET) return;
        char request[4096];
        recv(client, request, sizeof request, 0);
        if (hang_) {
            while (!stop_) Sleep(50);
        } else {
            std::string reply =
                "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nCache-Control: no-store\r\n"
                "Connection: close\r\nContent-Length: " +
                std::to_string(body_.size()) + "\r\n\r\n" + body_;
            send(client, reply.data(), static_cast<int>(reply.size()), 0);
        }
        closesocket(client);
    }

    std::string body_;
    bool hang_;
    SOCKET listener_;
    unsigned short port_ = 0;
    std::atomic<bool> stop_{false};
    TestThread thread_;
};

int ClosedPort() {
    LocalHttpServer gone("", false);
    std::string url = gone.Url();
    std::size_t colon = url.rfind(':');
    return std::stoi(url.substr(colon + 1));
}

struct Outcome {
    std::string result;
    DWORD milliseconds;
};

// One request on a fresh component.
Outcome TimedGet(const std::string& url, DWORD timeoutMs) {
    ComApartment com;
    XmlHttp request;
    EXPECT_TRUE(request);
    Outcome outcome{"no request", 0};
    DWORD start = GetTickCount();
    if (request) outcome.result = request.Get(url, timeoutMs);
    outcome.milliseconds = GetTickCount() - start;
    return outcome;
}

}  // namespace

TEST(MonitorXmlHttp, GetReturnsTheBodyAsText) {
    LocalHttpServer server("203.0.113.7", false);
    EXPECT_EQ(TimedGet(server.Url(), 10000).result, "203.0.113.7");
}

TEST(MonitorXmlHttp, AHangingServerIsGivenUpAfterTheTimeLimit) {
    LocalHttpServer server("", true);
    Outcome outcome = TimedGet(server.Url(), 1500);
    EXPECT_EQ(outcome.result, "");
    EXPECT_GE(outcome.milliseconds, 1400u);
    EXPECT_LT(outcome.milliseconds, 4000u);
}

TEST(MonitorXmlHttp, NoListenerGivesTheEmptyText) {
    std::string url = "http://127.0.0.1:" + std::to_string(ClosedPort()) + "/Tovra/tvaddr.cgi";
    Outcome outcome = TimedGet(url, 3000);
    EXPECT_EQ(outcome.result, "");
    std::printf("refused request ended after %lu ms\n", outcome.milliseconds);
}

TEST(MonitorLookup, ConnectionStateFollowsTheDecisionTable) {
    DWORD flags = 0;
    InternetGetConnectedState(&flags, 0);
    std::printf("connection state flags here: 0x%02lx\n", flags);
    EXPECT_EQ(InternetEnvironmentCheck(), ConnectionAllowsRequest(flags));
}

TEST(MonitorLookup, LocalAddressIsFourPlainDecimalBytes) {
    std::string address = GetLocalIPAddress();
    ASSERT_FALSE(address.empty());
    unsigned a, b, c, d;
    char rest;
    ASSERT_EQ(std::sscanf(address.c_str(), "%u.%u.%u.%u%c", &a, &b, &c, &d, &rest), 4);
    const unsigned char bytes[4] = {static_cast<unsigned char>(a), static_cast<unsigned char>(b),
                                    static_cast<unsigned char>(c), static_cast<unsigned char>(d)};
    EXPECT_EQ(DottedAddress(bytes), address);  // no leading zeros, each part a byte
    // The layer is released after each call: a second call works the same.
    EXPECT_EQ(GetLocalIPAddress(), address);
}
