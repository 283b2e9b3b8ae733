// The wizard window's controls, as the user sees them (pixels: left, top, width, height).
#include "wizard/main_form_layout_win.h"

namespace {

const FontStyle kGothic = {"ＭＳ ゴシック", 12};
const FontStyle kTitleA2 = {"Times New Roman", 15, true};
const FontStyle kItalic = {nullptr, 12, true};
const FontStyle kFolderFont = {nullptr, 16};

}  // namespace

const FormDef kMainForm = {"TfrmMain", "Kelvo Setup", 492, 298, {"ＭＳ Ｐゴシック", 12}};

std::vector<ControlDef> MainFormControls() {
    using K = ControlKind;
    return {
        {K::Group, "fraTitle", nullptr, 8, 8, 473, 241, "", kHidden},
        {K::Label, "lblTitleA1", "fraTitle", 8, 8, 105, 33, "汎用インストーラ", kCentered, kItalic},
        {K::Label, "lblTitleA2", "fraTitle", 112, 8, 313, 33, "Kelvo Setup", kCentered, kTitleA2, RGB(0, 0, 255)},
        {K::Image, "imgTitle1", "fraTitle", 432, 8, 32, 32, ""},
        {K::Label, "lblTitleMessage", "fraTitle", 16, 56, 441, 177, "", kWordWrap, kGothic},
        {K::Group, "fraReadme", nullptr, 8, 8, 473, 241, "", kHidden},
        {K::Memo, "txtReadme", "fraReadme", 8, 16, 457, 217, "", kVScroll, kGothic},
        {K::CheckBox, "chkEULARead", "fraReadme", 8, 216, 457, 17, "上記「使用許諾契約書」を確認のうえ、", kHidden},
        {K::Group, "grpMessage", nullptr, 8, 8, 473, 89, "メッセージ", kHidden},
        {K::Label, "lblMessage", "grpMessage", 8, 16, 457, 65, "", kWordWrap},
        {K::Group, "grpSetupFolder", nullptr, 8, 104, 473, 49, "インストールフォルダ", kHidden},
        {K::Edit, "txtFolder", "grpSetupFolder", 8, 16, 401, 24, "", kDisabled, kFolderFont},
        {K::Button, "btnRefer", "grpSetupFolder", 416, 16, 49, 25, "参照(&R)", kDisabled},
        {K::Group, "grpOption", nullptr, 8, 160, 473, 89, "インストールオプション", kHidden},
        {K::CheckBox, "chkOverWrite", "grpOption", 8, 16, 457, 17,
         "自動的に上書きする(同名ファイルが存在した場合は、最新ファイルをコピーします。)", kChecked | kDisabled},
        {K::Group, "fraShortCut", "grpOption", 8, 40, 457, 41, "ショートカットの作成"},
        {K::CheckBox, "chkSCutDesktop", "fraShortCut", 8, 16, 105, 17, "デスクトップ", kDisabled},
        {K::CheckBox, "chkSCutStartMenu", "fraShortCut", 120, 16, 105, 17, "スタートメニュー", kDisabled},
        {K::CheckBox, "chkSCutStartUp", "fraShortCut", 232, 16, 105, 17, "スタートアップ", kDisabled},
        {K::CheckBox, "chkSCutSendTo", "fraShortCut", 344, 16, 105, 17, "送る", kDisabled},
        {K::Label, "lblUnSetupInfo", "fraShortCut", 8, 8, 441, 25, "", kHidden | kWordWrap},
        {K::Group, "fraSelectType", nullptr, 8, 8, 473, 241, "", kHidden},
        {K::Label, "lblSelectTypeMsg", "fraSelectType", 24, 24, 425, 105, "", kWordWrap},
        {K::Radio, "optSelectType1", "fraSelectType", 24, 144, 425, 17, "", kChecked},
        {K::Radio, "optSelectType2", "fraSelectType", 24, 168, 425, 17, ""},
        {K::Image, "imgTitle2", "fraSelectType", 24, 200, 32, 32, ""},
        {K::Label, "lblTitleB1", "fraSelectType", 64, 200, 105, 33, "汎用インストーラ", kCentered, kItalic},
        {K::Label, "lblTitleB2", "fraSelectType", 168, 200, 281, 33, "Kelvo Setup", kCentered, kTitleA2,
         RGB(0, 0, 255)},
        {K::Button, "btnEvent", nullptr, 64, 264, 161, 25, "", kDisabled},
        {K::Button, "btnEnd", nullptr, 272, 264, 153, 25, "セットアップ終了(&E)", kDisabled},
        {K::Label, "lblFormShare", nullptr, 8, 280, 63, 12, "Can't Delete", kHidden},
    };
}
