#pragma once
// TfrmBack: the full-screen backdrop with the product's title; it owns the program's lifetime.
#include <functional>

#include "windows/form_win.h"
#include "windows/grad_box.h"

class TfrmBack : public Form {
public:
    TfrmBack();
    void Create();
    // What runs, maximised, once the window is first shown: the wizard's modal display.
    void SetOnStart(std::function<void()> start) { onStart_ = std::move(start); }
    // The first show: the start-up of a first resize in the normal state, then the window
    // appears maximised at once (a normal-size frame would only flash, and cost time).
    void Start();

    // The credit text in the lower right corner (the window must be maximised).
    void ShowBanner(const std::string& text);
    // The big title across the top.
    void SetTitle(const std::string& text);

protected:
    void FormResize() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void PlaceBelowRight(const std::string& shadow, const std::string& label);
    void SetTitleWidth(const std::string& name, int width);

    TGradBox gradBox_;
    bool created_ = false;
    bool started_ = false;
    std::function<void()> onStart_;
};

TfrmBack& frmBack();
