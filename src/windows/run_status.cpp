#include "windows/run_status.h"

const char* StepResultWord(StepResult result) {
    switch (result) {
        case StepResult::Pending: return "";
        case StepResult::Done: return "完了";
        case StepResult::DoneAfterDots: return "．．．完了";
        case StepResult::Nothing: return "なし";
        case StepResult::Failed: return "失敗";
        case StepResult::CreateFailed: return "作成失敗";
        case StepResult::PartFailed: return "一部失敗";
        case StepResult::Locked: return "ロックファイルあり";
        case StepResult::PartFailedLocked: return "一部失敗・ロックファイルあり";
        case StepResult::SpaceShort: return "不足の可能性あり";
        case StepResult::SpaceUnknown: return "関数失敗";
    }
    return "";
}
