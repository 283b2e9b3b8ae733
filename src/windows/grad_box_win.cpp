#include "windows/grad_box_win.h"

#include <vector>

void PaintGradBox(const TGradBox& box, HDC dc, const RECT& area) {
    const int width = area.right - area.left, height = area.bottom - area.top;
    const bool vertical = box.Direction() == TGradDirection::gdVertical;
    const auto bands = GradientBands(GetNearestColor(dc, box.StartColor()), GetNearestColor(dc, box.EndColor()),
                                     box.GradStep(), vertical ? height : width);
    for (const GradBand& band : bands) {
        RECT r = vertical ? RECT{area.left, area.top + band.from, area.right, area.top + band.to}
                          : RECT{area.left + band.from, area.top, area.left + band.to, area.bottom};
        HBRUSH brush = CreateSolidBrush(band.color);
        FillRect(dc, &r, brush);
        DeleteObject(brush);
    }
}

bool ReadFileVersion(const std::string& fileName, FileVersionInfo& version) {
    version = {};
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(fileName.c_str(), &handle);
    if (size == 0) return false;
    std::vector<char> data(size);
    std::string text;
    char* value = nullptr;
    UINT length = 0;
    if (GetFileVersionInfoA(fileName.c_str(), 0, size, data.data()) &&
        VerQueryValueA(data.data(), "\\StringFileInfo\\041103a4\\FileVersion", reinterpret_cast<void**>(&value),
                       &length) &&
        value && length > 0)
        text.assign(value, strnlen(value, length));
    version = ParseFileVersion(text);
    return true;
}
