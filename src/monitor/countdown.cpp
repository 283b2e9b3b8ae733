#include "monitor/countdown.h"

#include <algorithm>

#include "monitor/text_rules.h"

Countdown ComputeCountdown(int scanMinutes, long long elapsedSeconds) {
    long long total = static_cast<long long>(scanMinutes) * 60;
    long long remaining = total - elapsedSeconds;
    Countdown result{scanMinutes, 0, 0, remaining < 1};
    if (remaining > 0) {
        result.minutes = remaining / 60;
        result.seconds = remaining % 60;
    }
    long long done = total - remaining;
    if (done >= 1 && total > 0) result.percent = static_cast<int>(std::min(done * 100 / total, 100LL));
    return result;
}

std::string CountdownText(long long minutes, long long seconds) {
    return "あと" + LastColumns(std::to_string(minutes), 3) + "分" + LastColumns(std::to_string(seconds), 2) + "秒";
}

int BarWidth(int fullWidth, int percent) {
    return percent != 0 ? static_cast<int>(static_cast<long long>(fullWidth) * percent / 100) : 0;
}

Click ClickAfterScan(bool soundOnFetch, bool soundOnChangeOnly, bool addressChanged) {
    if (!soundOnFetch && !soundOnChangeOnly) return Click::None;
    if (addressChanged) return Click::Change;
    return soundOnChangeOnly ? Click::None : Click::Fetch;
}

const char* ClickFile(Click click) {
    switch (click) {
        case Click::Fetch: return "click001.wav";
        case Click::Change: return "click003.wav";
        case Click::None: break;
    }
    return nullptr;
}
