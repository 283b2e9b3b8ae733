#include "monitor/layout.h"

namespace {

constexpr Rgb kBlack{0, 0, 0}, kWhite{255, 255, 255}, kGrey{128, 128, 128};
constexpr Rgb kDarkGrey{64, 64, 64}, kLightGrey{192, 192, 192}, kGreen{0, 255, 0};
constexpr Rgb kOrange{255, 128, 0}, kLightYellow{255, 255, 192}, kCyan{0, 255, 255};
constexpr Rgb kBlue{0, 0, 255};

const char* const kFolderNote = "上記フォルダに取得したIPアドレスが上書き保存されます。出力ファイル名：OUTPUT.DAT";

Element Fill(int id, const char* name, int l, int t, int w, int h, Rgb back, bool drags = false,
             Action action = Action::None) {
    return {id, name, Kind::Fill, l, t, w, h, back, back, 900, "", drags, false, action, false};
}

Element Band(int id, const char* name, int l, int t, int w, int h) {
    Element band = Fill(id, name, l, t, w, h, kLightYellow);
    band.bordered = true;
    return band;
}

Element Label(int id, const char* name, int l, int t, int w, int h, Rgb back, Rgb fore, int points, const char* text,
              bool drags = false) {
    return {id, name, Kind::Text, l, t, w, h, back, fore, points, text, drags, false, Action::None, false};
}

Element Control(int id, const char* name, Kind kind, int l, int t, int w, int h, Rgb back, Rgb fore, int points,
                const char* text, Action action) {
    return {id, name, kind, l, t, w, h, back, fore, points, text, false, false, action, kind == Kind::LabelButton};
}

std::vector<Element> BuildLayout() {
    return {
        // The compact window.
        Fill(100, "lblBase01", 0, 0, 3885, 600, kGrey, true),
        Fill(101, "lblGlobalIP_Midashi_Waku", 15, 15, 1905, 255, kBlack, true),
        Label(102, "lblGlobalIP_Midashi", 75, 45, 1785, 195, kBlack, kWhite, 975, "Global IP Address", true),
        Fill(103, "lblGlobalIP_Waku", 1935, 15, 1680, 255, kBlack, true),
        Label(104, "PicGlobalIP", 1995, 60, 1605, 195, kBlack, kGreen, 975, "", true),
        Fill(105, "lblLocalIP_Midashi_Waku", 15, 285, 1905, 255, kBlack, true),
        Label(106, "lblLocalIP_Midashi", 75, 315, 1785, 195, kBlack, kWhite, 975, "Local  IP Address", true),
        Fill(107, "lblLocalIP_Waku", 1935, 285, 1680, 255, kBlack, true),
        Label(108, "PicLocalIP", 1995, 330, 1605, 195, kBlack, kOrange, 975, "", true),
        Fill(109, "lblSetting_Waku", 3630, 15, 240, 525, kBlack),
        Fill(110, "lblEnd_Waku", 3645, 30, 210, 240, kDarkGrey, false, Action::End),
        Control(111, "lblEnd", Kind::LabelButton, 3660, 75, 180, 180, kDarkGrey, kLightGrey, 900, "×", Action::End),
        Fill(112, "lblSetthingu_Waku", 3645, 285, 210, 240, kDarkGrey),
        Control(113, "lblSetting", Kind::LabelButton, 3675, 345, 180, 165, kDarkGrey, kLightGrey, 825, kFolded,
                Action::Setting),
        Fill(114, "Picture1", 15, 555, 3855, 30, kBlack),
        {115, "lblGraph", Kind::Bar, 15, 555, 3855, 30, kGreen, kGreen, 900, "", false, false, Action::None, false},
        // The settings panel below it.
        Fill(200, "lblBase02", 0, 615, 3885, 3345, kDarkGrey),
        Fill(201, "Label1", 15, 630, 3855, 3075, kBlack),
        Band(202, "Label4", 90, 720, 3705, 300),
        Label(203, "Label2", 180, 795, 1080, 180, kLightYellow, kBlack, 900, "ＩＰ取得間隔"),
        Control(204, "ComboScanTime", Kind::ComboBox, 1425, 720, 810, 300, kWhite, kBlack, 900, "", Action::None),
        Label(205, "PicCountDown", 2415, 795, 1200, 180, kLightYellow, kDarkGrey, 900, ""),
        Band(206, "Label11", 90, 1035, 3705, 300),
        Control(207, "ChkFileMake", Kind::CheckBox, 165, 1080, 3615, 225, kLightYellow, kBlack, 900,
                "取得IPアドレスをファイルに書き込む", Action::None),
        Fill(208, "Label5", 90, 1350, 3705, 1320, kBlack),
        Band(209, "Label3", 120, 1380, 2925, 300),
        Label(210, "Label9", 195, 1455, 2520, 180, kLightYellow, kBlack, 900, "取得IPアドレス書込みフォルダ"),
        Control(211, "CmdFolder", Kind::PushButton, 3075, 1395, 675, 285, kLightGrey, kBlack, 900, "SET",
                Action::Folder),
        Label(212, "lblFolderName", 120, 1695, 3645, 540, kWhite, kBlack, 900, ""),
        Label(213, "lblFolderName_Guide", 150, 2265, 3615, 360, kBlack, kLightGrey, 900, kFolderNote),
        Band(214, "Label7", 90, 2685, 3705, 315),
        Control(215, "ChkSound", Kind::CheckBox, 165, 2760, 3225, 225, kLightYellow, kBlack, 900, "取得時にサウンド音",
                Action::Sound),
        Band(216, "Label8", 90, 3015, 3705, 315),
        Control(217, "ChkChangeSound", Kind::CheckBox, 165, 3090, 3225, 225, kLightYellow, kBlack, 900,
                "IP変更があった時のみサウンド音", Action::ChangeSound),
        Band(218, "Label10", 90, 3345, 3705, 315),
        Control(219, "ChkAlwaysFront", Kind::CheckBox, 165, 3405, 3225, 225, kLightYellow, kBlack, 900,
                "常に前面に表示する", Action::AlwaysFront),
        Fill(220, "Label6", 15, 3720, 1515, 225, kBlack),
        Label(221, "lblVersion", 15, 3765, 1515, 180, kBlue, kCyan, 900, "Tovra Ver2.02"),
        Fill(222, "lblCancel_Waku", 1545, 3720, 765, 225, kBlue, false, Action::Cancel),
        Control(223, "lblCancel", Kind::LabelButton, 1635, 3750, 630, 195, kBlue, kGreen, 975, "Cancel",
                Action::Cancel),
        Fill(224, "lblUpdate_Waku", 2325, 3720, 765, 225, kBlue, false, Action::Update),
        Control(225, "lblUpdate", Kind::LabelButton, 2415, 3750, 630, 195, kBlue, kGreen, 975, "Update",
                Action::Update),
        Fill(226, "lblOK_Waku", 3105, 3720, 765, 225, kBlue, false, Action::Ok),
        Control(227, "lblOK", Kind::LabelButton, 3390, 3750, 210, 195, kBlue, kGreen, 975, "OK", Action::Ok),
    };
}

bool Contains(const Element& e, int x, int y) {
    return x >= e.left && x < e.left + e.width && y >= e.top && y < e.top + e.height;
}

}  // namespace

const std::vector<Element>& MainLayout() {
    static const std::vector<Element> layout = BuildLayout();
    return layout;
}

const Element& ElementNamed(const std::string& name) {
    for (const Element& e : MainLayout()) {
        if (name == e.name) return e;
    }
    throw UnknownElement(name);
}

const Element* ElementAt(int x, int y) {
    const auto& layout = MainLayout();
    for (auto it = layout.rbegin(); it != layout.rend(); ++it) {
        if (Contains(*it, x, y)) return &*it;
    }
    return nullptr;
}

Position StartPosition(Position saved, int screenWidth, int screenHeight) {
    Position place = saved;
    if (saved.left == -1 && saved.top == -1) {
        place = {(screenWidth - kWindowWidth) / 2, (screenHeight - kCompactHeight) / 2};
    }
    if (screenWidth - kWindowWidth < saved.left) place.left = screenWidth - kWindowWidth;
    if (screenHeight - kCompactHeight < saved.top) place.top = screenHeight - kCompactHeight;
    return place;
}

Position DraggedPosition(Position window, Position anchor, Position pointer) {
    return {window.left - (anchor.left - pointer.left), window.top - (anchor.top - pointer.top)};
}
