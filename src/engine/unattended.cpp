#include "engine/unattended.h"

namespace {

std::string Lower(const std::string& text) {
    std::string out = text;
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

}  // namespace

Switches ParseSwitches(const std::vector<std::string>& arguments) {
    Switches s;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& arg = arguments[i];
        if (arg.empty() || arg[0] != '/') {
            s.arguments.push_back(arg);
            continue;
        }
        s.any = true;
        const std::string name = Lower(arg);
        if (name == "/quiet") s.ui = RunUi::Quiet;
        else if (name == "/passive") s.ui = s.ui == RunUi::Quiet ? RunUi::Quiet : RunUi::Passive;
        else if (name == "/norestart") s.forceRestart = false;
        else if (name == "/forcerestart") s.forceRestart = true;
        else if (name == "/?") s.help = true;
        else if ((name == "/dir" || name == "/log") && i + 1 < arguments.size() && !arguments[i + 1].empty())
            (name == "/dir" ? s.dir : s.log) = arguments[++i];
        else if (s.bad.empty()) s.bad = arg;
    }
    return s;
}

int ExitCodeFor(const RunOutcome& outcome) {
    if (outcome.stopCode != 0) return outcome.stopCode;
    if (!outcome.finished) return exit_code::kStopped;
    if (outcome.failures > 0) return exit_code::kItemsFailed;
    if (outcome.restartStarted) return exit_code::kRestartStarted;
    if (outcome.restartNeeded) return exit_code::kRestartNeeded;
    return exit_code::kDone;
}

std::string ExitCodeText(int code) {
    const char* words = "";
    switch (code) {
        case exit_code::kDone: words = "完了"; break;
        case exit_code::kItemsFailed: words = "完了・一部失敗"; break;
        case exit_code::kStopped: words = "中止"; break;
        case exit_code::kRefused: words = "チェックにより拒否"; break;
        case exit_code::kAlreadyRunning: words = "ほかのセットアップが実行中"; break;
        case exit_code::kBadSwitch: words = "不正なスイッチ"; break;
        case exit_code::kRestartStarted: words = "完了・再起動を開始"; break;
        case exit_code::kRestartNeeded: words = "完了・再起動が必要"; break;
    }
    return std::to_string(code) + "（" + words + "）";
}

std::string SwitchHelpText(const std::string& programName) {
    return "使い方: " + programName + " [スイッチ]\r\n" +
           "アンインストール: UNKELVO.EXE アンインストールログのパス [スイッチ]\r\n\r\n"
           "/quiet\t\t画面を一切表示せずに実行します。\r\n"
           "/passive\t\t背景と進行状況だけを表示し、質問はしません。\r\n"
           "/dir \"フォルダ\"\tインストールフォルダ（フォルダマクロも使えます）。\r\n"
           "/log \"ファイル\"\t実行の記録を書き出します。\r\n"
           "/norestart\t再起動しません（既定）。\r\n"
           "/forcerestart\t再起動が必要なときは最後に再起動します。\r\n"
           "/?\t\tこの一覧を表示します。\r\n\r\n"
           "終了コード:\r\n"
           "0 完了　3010 完了・再起動が必要　1641 完了・再起動を開始\r\n"
           "1 一部失敗　2 中止　3 チェックにより拒否\r\n"
           "4 ほかのセットアップが実行中　87 不正なスイッチ";
}

std::string LogEntry(const std::string& stamp, const std::string& text) {
    std::string out;
    bool first = true;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) {
            out += stamp + (first ? " " : "   ") + line + "\r\n";
            first = false;
        }
        start = end + 1;
    }
    return out;
}

std::string AnswerWord(int answer) {
    switch (answer) {
        case 1: return "OK";
        case 2: return "キャンセル";
        case 3: return "中止";
        case 4: return "再試行";
        case 5: return "無視";
        case 6: return "はい";
        case 7: return "いいえ";
    }
    return std::to_string(answer);
}
