#include "install/final_page.h"

#include "engine/strings.h"

ExecuteEntry ParseExecuteEntry(const std::string& value) {
    if (value.find(',') == std::string::npos) return {value, "", ""};
    return {GetField(value, ",", 1), GetField(value, ",", 2), GetField(value, ",", 3)};
}

FinalPage BuildFinalPage(const std::string& s, bool reboot, const ExecuteEntry& entry) {
    FinalPage page;
    const bool program = !entry.program.empty();
    page.message = reboot ? "　" + s + "を完了するには、Windowsを再起動する必要があります。\r\n\r\n" +
                                "　Windowsの再起動を選択した場合、現在稼動している他のプログラムは強制的に終了され、" +
                                "かつ、終了後プログラムは実行されませんので、十分にご注意ください。"
                          : s + "を完了しました。";
    if (program)
        page.message +=
            std::string("\r\n\r\n【インストーラ終了後、以下のプログラムが実行されます。】\r\n\r\n") +
            (entry.ByCreateProcess() ? "(CreateProcess APIを利用します。)" : "(ShellExecute APIを利用します。)") +
            "\r\n" + entry.program + " " + entry.parameters;
    if (reboot) {
        page.choice1 = "はい、Windowsを再起動します。(&Y)";
        page.choice2 = program ? "いいえ、Windowsは再起動せずに、プログラムを実行します。(&N)"
                               : "いいえ、Windowsは再起動せずに、インストーラーを終了します。(&N)";
    } else {
        page.choice1 =
            program ? "インストーラを終了して、プログラムを実行します。(&Y)" : "インストーラを終了します。(&Y)";
    }
    return page;
}

std::string CompletionText(const std::string& s, const std::string& u, bool setupOnly) {
    std::string text = "\r\n【処理完了】\r\n";
    if (!setupOnly)
        text += "　プログラムの" + u + "は、「プログラム(アプリケーション)の追加と削除」から行うことができます。\r\n";
    return text + "　「次へ(N)」をクリックして、" + s + "を完了してください。\r\n";
}
