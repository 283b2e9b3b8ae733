#include <gtest/gtest.h>

#include "monitor/address_rules.h"
#include "monitor/countdown.h"
#include "monitor/layout.h"
#include "monitor/text_rules.h"

TEST(MonitorConnection, FirstSetBitOfTheTableDecides) {
    EXPECT_TRUE(ConnectionAllowsRequest(kConnectionLan));
    EXPECT_TRUE(ConnectionAllowsRequest(kConnectionProxy));
    EXPECT_TRUE(ConnectionAllowsRequest(kConnectionLan | kConnectionRasInstalled));
    EXPECT_TRUE(ConnectionAllowsRequest(0x12));  // LAN with RAS installed, as Wine reports here
    EXPECT_FALSE(ConnectionAllowsRequest(kConnectionModem | kConnectionLan | kConnectionProxy));
    EXPECT_FALSE(ConnectionAllowsRequest(kConnectionRasInstalled));
    EXPECT_FALSE(ConnectionAllowsRequest(kConnectionOffline));
    EXPECT_FALSE(ConnectionAllowsRequest(0));
    EXPECT_FALSE(ConnectionAllowsRequest(0x40 | 0x08));  // bits outside the table
}

TEST(MonitorAddressAnswer, NumericOnceTheDotsAreGone) {
    for (const char* valid : {"203.0.113.7", " 203.0.113.7\r\n", "1.2.3.4.5", "12345", "-1.2"}) {
        EXPECT_TRUE(IsValidAddressAnswer(valid)) << valid;
    }
    for (const char* invalid :
         {"", "...", "abc", "error", "2001:db8::1", "<html><body>502</body></html>", "1e5", "1 2"}) {
        EXPECT_FALSE(IsValidAddressAnswer(invalid)) << invalid;
    }
    EXPECT_FALSE(IsValidAddressAnswer(std::string("1.2\0.3", 6)));
    EXPECT_TRUE(IsValidAddressAnswer(std::string(1 << 20, '7')));
}

TEST(MonitorAddressAnswer, DottedAddressWritesBytesWithoutPadding) {
    const unsigned char first[4] = {10, 0, 0, 5};
    const unsigned char high[4] = {255, 128, 1, 100};
    EXPECT_EQ(DottedAddress(first), "10.0.0.5");
    EXPECT_EQ(DottedAddress(high), "255.128.1.100");
}

TEST(MonitorCountdown, OneSecondBeforeTheScan) {
    Countdown c = ComputeCountdown(5, 299);
    EXPECT_EQ(CountdownText(c.minutes, c.seconds), "あと  0分 1秒");
    EXPECT_EQ(c.percent, 99);
    EXPECT_EQ(BarWidth(kGraphFullWidth, c.percent), 3855 * 99 / 100);
    EXPECT_FALSE(c.scanDue);
}

TEST(MonitorCountdown, IntervalRunOutShowsTheFullIntervalAndScans) {
    Countdown c = ComputeCountdown(5, 300);
    EXPECT_EQ(CountdownText(c.minutes, c.seconds), "あと  5分 0秒");
    EXPECT_EQ(c.percent, 100);
    EXPECT_TRUE(c.scanDue);
    EXPECT_TRUE(ComputeCountdown(5, 4000).scanDue);
    EXPECT_EQ(ComputeCountdown(5, 4000).percent, 100);
}

TEST(MonitorCountdown, StartOfIntervalAndClockSetBack) {
    Countdown start = ComputeCountdown(5, 0);
    EXPECT_EQ(CountdownText(start.minutes, start.seconds), "あと  5分 0秒");
    EXPECT_EQ(start.percent, 0);
    EXPECT_EQ(BarWidth(kGraphFullWidth, start.percent), 0);
    EXPECT_EQ(CountdownText(ComputeCountdown(5, 1).minutes, ComputeCountdown(5, 1).seconds), "あと  4分59秒");
    EXPECT_EQ(ComputeCountdown(5, -30).percent, 0);
    EXPECT_FALSE(ComputeCountdown(5, -30).scanDue);
}

TEST(MonitorCountdown, LongFieldsKeepTheirLastDigits) {
    EXPECT_EQ(CountdownText(1234, 5), "あと234分 5秒");
    Countdown huge = ComputeCountdown(2147483647, 0);
    EXPECT_EQ(CountdownText(huge.minutes, huge.seconds), "あと647分 0秒");
    EXPECT_EQ(CountdownText(120, 0), "あと120分 0秒");
}

TEST(MonitorClick, DecisionTable) {
    EXPECT_EQ(ClickAfterScan(false, false, true), Click::None);
    EXPECT_EQ(ClickAfterScan(false, false, false), Click::None);
    EXPECT_EQ(ClickAfterScan(true, false, true), Click::Change);
    EXPECT_EQ(ClickAfterScan(true, false, false), Click::Fetch);
    EXPECT_EQ(ClickAfterScan(false, true, true), Click::Change);
    EXPECT_EQ(ClickAfterScan(false, true, false), Click::None);
    EXPECT_EQ(ClickAfterScan(true, true, true), Click::Change);
    EXPECT_EQ(ClickAfterScan(true, true, false), Click::None);
    EXPECT_STREQ(ClickFile(Click::Fetch), "click001.wav");
    EXPECT_STREQ(ClickFile(Click::Change), "click003.wav");
    EXPECT_EQ(ClickFile(Click::None), nullptr);
}
