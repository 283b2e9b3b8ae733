#pragma once
// The countdown to the next scan, the progress bar and the click after a scan.
#include <string>

struct Countdown {
    long long minutes;
    long long seconds;
    int percent;   // elapsed share of the interval, 0 to 100
    bool scanDue;  // the interval has run out
};

// Where the interval of scanMinutes stands elapsedSeconds after the last scan.
// When it has run out the countdown shows the full interval again.
Countdown ComputeCountdown(int scanMinutes, long long elapsedSeconds);

// "あと" + minutes in three columns + "分" + seconds in two columns + "秒";
// a field longer than its columns keeps its last characters.
std::string CountdownText(long long minutes, long long seconds);

int BarWidth(int fullWidth, int percent);

enum class Click { None, Fetch, Change };  // nothing, "click001.wav", "click003.wav"

Click ClickAfterScan(bool soundOnFetch, bool soundOnChangeOnly, bool addressChanged);
const char* ClickFile(Click click);
