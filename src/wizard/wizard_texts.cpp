#include "wizard/wizard_texts.h"

#include "engine/paths.h"

namespace {
const char kCrLf[] = "\r\n";
}

std::string WelcomeText(const std::string& p, const std::string& s, bool nt) {
    std::string text = "　" + p + " " + s + "プログラムへようこそ。この" + s + "プログラムは、あなたのコンピュータに " +
                       p + " を" + s + "します。" + kCrLf + kCrLf + "　" + s +
                       "を開始する前に、必ず、すべてのWindowsプログラムを終了させてください。" + kCrLf + kCrLf +
                       "　「" + s + "終了(E)」を選択すると、" + s + "を行わずに" + s + "プログラムを終了します。" + s +
                       "を続行する場合は、「" + s + "続行(C)」を選択してください。" + kCrLf;
    if (nt)
        text += std::string(kCrLf) + "【注意】" + kCrLf + "　Administrator権限での" + s + "を推奨します。" +
                "Administrator権限を持たないユーザーでの" + s + "は、正常に処理が行われない場合があります。";
    return text;
}

std::string GroupThousands(std::int64_t value) {
    std::string digits = std::to_string(value), out;
    const std::size_t first = value < 0 ? 1 : 0;  // after the sign
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > first && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

std::string FreeSpaceCaption(bool driveExists, bool known, std::int64_t bytes) {
    if (!driveExists) return "インストールフォルダ(空き容量：不明)";
    if (!known) return "インストールフォルダ(空き容量：関数失敗<致命的エラー>";
    return "インストールフォルダ(空き容量：" + GroupThousands(bytes) + "Byte)";
}

std::string QuitQuestion(const std::string& s, const std::string& u) {
    return s + "/" + u + "は終了していません。" + kCrLf + "終了してもよろしいですか？";
}

CheckerResult InterpretCheckerResult(const std::string& result, const std::string& message) {
    return {result == "ContinueInstall", ReplaceToken(message, "<改行>", kCrLf)};
}

std::string CheckerRefusal(const std::string& s) {
    return s + "チェック機能により、" + s + "は続行不可能と判断されました。" + kCrLf +
           "詳細については、プログラム配布者へご確認ください。" + kCrLf + s + "を続行することはできません。";
}

UninstallOptions ParseUninstallOptions(const std::string& value) {
    UninstallOptions options;
    options.deleteAll = value == "DeleteAll";
    if (options.deleteAll) return options;
    // A value shorter than seven characters leaves the missing boxes unticked.
    for (std::size_t i = 0; i < 4; ++i) options.ticked[i] = value.size() > i * 2 && value[i * 2] == '1';
    return options;
}

CleanupChoice ChooseCleanup(const bool ticked[4], const std::string patterns[4], bool othersShown) {
    CleanupChoice choice;
    choice.deleteAll = ticked[0] && !othersShown;
    for (int i = choice.deleteAll ? 1 : 0; i < 4; ++i)
        if (ticked[i]) choice.patterns += patterns[i] + "|";
    return choice;
}
