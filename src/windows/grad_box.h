#pragma once
// TGradBox: a gradient filling its parent's client area in colour bands. The band
// geometry is plain arithmetic; painting it is the Win32 side's job.
#include <cstdint>
#include <functional>
#include <vector>

using Color = std::uint32_t;  // 0x00BBGGRR, as Windows stores colours

constexpr Color MakeColor(int r, int g, int b) {
    return static_cast<Color>(r) | (static_cast<Color>(g) << 8) | (static_cast<Color>(b) << 16);
}

enum class TGradDirection { gdHorizontal = 0, gdVertical = 1 };

// One band: [from, to) along the gradient's direction, across the whole other dimension.
struct GradBand {
    int from;
    int to;
    Color color;
};

// The bands for an area `length` pixels long (height when vertical, width when horizontal);
// bands running past the far edge are clipped, and a short last band fills the rest.
std::vector<GradBand> GradientBands(Color start, Color end, int gradStep, int length);

class TGradBox {
public:
    Color StartColor() const { return colors_[0]; }
    Color EndColor() const { return colors_[1]; }
    int GradStep() const { return gradStep_; }
    TGradDirection Direction() const { return direction_; }

    // index 1 sets the start colour, 2 the end colour.
    void SetColor(int index, Color color);
    void SetGradStep(int step);
    void SetDirection(TGradDirection direction);

    std::function<void()> OnChange;
    std::function<void()> Invalidate;  // asks the owner to repaint the box

private:
    void Changed();

    Color colors_[2] = {MakeColor(255, 255, 255), MakeColor(0, 0, 0)};
    int gradStep_ = 128;
    TGradDirection direction_ = TGradDirection::gdVertical;
};
