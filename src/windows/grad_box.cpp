#include "windows/grad_box.h"

#include <algorithm>
#include <cmath>

namespace {

int Channel(Color color, int shift) { return static_cast<int>((color >> shift) & 0xFF); }

// Start channel plus its share of the way to the end, rounded half to even.
int Blend(int from, int to, int n, int i) {
    return from + static_cast<int>(std::nearbyint(static_cast<double>(to - from) / n * i));
}

}  // namespace

std::vector<GradBand> GradientBands(Color start, Color end, int gradStep, int length) {
    const int n = gradStep + 1;
    int thickness = static_cast<int>(std::nearbyint(static_cast<double>(length) / n));
    if (thickness == 0) thickness = 1;
    std::vector<GradBand> bands;
    int p = 0;
    for (int i = 0; i <= n; ++i, p += thickness) {
        if (p >= length) continue;  // past the far edge: clipped away
        const Color color =
            MakeColor(Blend(Channel(start, 0), Channel(end, 0), n, i), Blend(Channel(start, 8), Channel(end, 8), n, i),
                      Blend(Channel(start, 16), Channel(end, 16), n, i));
        bands.push_back({p, std::min(p + thickness, length), color});
    }
    if (p < length) bands.push_back({p, length, end});
    return bands;
}

void TGradBox::SetColor(int index, Color color) {
    colors_[index == 2 ? 1 : 0] = color;
    Changed();
}

void TGradBox::SetGradStep(int step) {
    gradStep_ = std::clamp(step, 0, 255);
    Changed();
}

void TGradBox::SetDirection(TGradDirection direction) {
    if (direction == direction_) return;
    direction_ = direction;
    Changed();
}

void TGradBox::Changed() {
    if (Invalidate) Invalidate();
    if (OnChange) OnChange();
}
