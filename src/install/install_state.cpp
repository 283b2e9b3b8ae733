#include "install/install_state.h"

#include <cmath>

std::int64_t CountedSize(std::int64_t size, bool& sizeProgress) {
    if (size < 0) {
        sizeProgress = false;
        return 0;
    }
    return size == 0 ? 1 : size;
}

int CopyProgressPercent(const InstallState& state, int n) {
    int percent;
    if (state.sizeProgress && state.totalBytes > 0)
        percent = static_cast<int>(
            std::llround(static_cast<double>(state.doneBytes) / static_cast<double>(state.totalBytes) * 100.0));
    else percent = state.entryCount > 0 ? static_cast<int>(static_cast<std::int64_t>(n) * 100 / state.entryCount) : 100;
    return percent < 0 ? 0 : (percent > 100 ? 100 : percent);
}

bool EnoughSpace(std::int64_t freeBytes, std::int64_t totalBytes) { return freeBytes > totalBytes; }

std::string LowSpaceQuestion(const std::string& s, bool queryWorked, std::int64_t totalBytes) {
    if (queryWorked)
        return "ディスクの空き容量が不足しているため、エラーになる可能性があります。\r\nこのまま" + s +
               "を続行しますか？";
    return "ディスクの空き容量取得関数が失敗しました。\r\n" + s + "に必要なディスク容量は " +
           std::to_string(totalBytes) + "Byteです。\r\n空き容量があるようであれば、" + s +
           "を続行してください。\r\n\r\n" + s + "を続行しますか？";
}
