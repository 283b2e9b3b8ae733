#pragma once
// FrmMain: the monitor's borderless window, its scan loop and its settings panel.
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "monitor/layout.h"
#include "owned_win.h"

class FrmMain {
public:
    // Start-up: loads the settings, places and fills the window, starts the timer.
    bool Form_Load(HINSTANCE instance, int showCommand);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

    void CreateControls();
    HWND CreateControl(const Element& element);
    HFONT FontFor(int pointsTimes100);
    HBRUSH BrushFor(Rgb colour);
    void Paint();
    LRESULT ControlColours(HDC dc, HWND control);
    void DrawLabelButton(const DRAWITEMSTRUCT& item);

    int ToPixelsX(int twips) const { return MulDiv(twips, dpiX_, 1440); }
    int ToPixelsY(int twips) const { return MulDiv(twips, dpiY_, 1440); }
    int ToTwipsX(int pixels) const { return MulDiv(pixels, 1440, dpiX_); }
    int ToTwipsY(int pixels) const { return MulDiv(pixels, 1440, dpiY_); }

    HWND Control(const char* name) const;
    void SetText(const char* name, const std::string& text);
    std::string GetText(const char* name) const;
    bool IsTicked(const char* name) const;
    void Tick(const char* name, bool ticked);
    void SetHeight(int twips, const char* settingCaption);

    void TimerScan_Timer();
    void IPaddress_Get();
    void DrawCountdown();
    void RunAction(Action action);
    void InitDataSet();
    void lblSetting_Click();
    void lblOK_Click();
    void lblUpdate_Click();
    void lblCancel_Click();
    void lblEnd_Click();
    void CmdFolder_Click();
    void CheckBox_Click(Action action);
    void BeginWindowDrag(int x, int y);
    void DragWindow(WPARAM buttons, int x, int y);
    void ButtonUp(int x, int y);

    HWND window_ = nullptr;
    int dpiX_ = 96, dpiY_ = 96;
    std::map<int, HWND> controls_;
    std::map<int, OwnedGdi<HFONT>> fonts_;
    std::map<COLORREF, OwnedGdi<HBRUSH>> brushes_;
    std::vector<OwnedAtom> names_;  // the controls' names, for the UI driver

    bool Loading = false;
    bool FirstScanPending = false;
    bool Scanning = false;
    bool RapidScan = false;  // test runs only: scan at every tick
    std::string CurrentGlobalIP, CurrentLocalIP, CurrentHostName;
    std::string PreviousGlobalIP, PreviousLocalIP;
    long long LastScanTime = 0;  // local time in whole seconds
    int GraphWidth = 0;
    int LastPercent = -1;
    bool ApplyWithoutClosing = false;
    bool Dragging = false;
    POINT DragAnchor{};
    Action PressedAction = Action::None;
};
