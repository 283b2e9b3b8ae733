#include "windows/grad_box_win.h"

#include <vector>

#include "owned_win.h"
#include "system_dll_win.h"
#include "system_text_win.h"

void PaintGradBox(const TGradBox& box, HDC dc, const RECT& area) {
    const int width = area.right - area.left, height = area.bottom - area.top;
    const bool vertical = box.Direction() == TGradDirection::gdVertical;
    const auto bands = GradientBands(GetNearestColor(dc, box.StartColor()), GetNearestColor(dc, box.EndColor()),
                                     box.GradStep(), vertical ? height : width);
    for (const GradBand& band : bands) {
        RECT r = vertical ? RECT{area.left, area.top + band.from, area.right, area.top + band.to}
                          : RECT{area.left + band.from, area.top, area.left + band.to, area.bottom};
        const OwnedGdi<HBRUSH> brush(CreateSolidBrush(band.color));
        FillRect(dc, &r, brush.get());
    }
}

namespace {

const char kFileVersionKey[] = "\\StringFileInfo\\041103a4\\FileVersion";

// The W forms: the A query converts the stored UTF-16 through the system's code page.
bool ReadFileVersionWide(const std::string& fileName, FileVersionInfo& version) {
    static const auto infoSize =
        SystemFunction<decltype(&GetFileVersionInfoSizeW)>("VERSION.DLL", "GetFileVersionInfoSizeW");
    static const auto info = SystemFunction<decltype(&GetFileVersionInfoW)>("VERSION.DLL", "GetFileVersionInfoW");
    static const auto query = SystemFunction<decltype(&VerQueryValueW)>("VERSION.DLL", "VerQueryValueW");
    if (!infoSize || !info || !query) return false;
    const std::wstring name = Wide(fileName);
    DWORD handle = 0;
    const DWORD size = infoSize(name.c_str(), &handle);
    if (size == 0) return false;
    std::vector<char> data(size);
    wchar_t* value = nullptr;
    UINT length = 0;  // in characters
    std::string text;
    if (info(name.c_str(), 0, size, data.data()) &&
        query(data.data(), Wide(kFileVersionKey).c_str(), reinterpret_cast<void**>(&value), &length) && value &&
        length > 0)
        text = Narrow(std::wstring_view(value, wcsnlen(value, length)));
    version = ParseFileVersion(text);
    return true;
}

}  // namespace

bool ReadFileVersion(const std::string& fileName, FileVersionInfo& version) {
    version = {};
    // The version service, from the system folder.
    if (WideCalls()) return ReadFileVersionWide(fileName, version);
    static const auto infoSize =
        SystemFunction<decltype(&GetFileVersionInfoSizeA)>("VERSION.DLL", "GetFileVersionInfoSizeA");
    static const auto info = SystemFunction<decltype(&GetFileVersionInfoA)>("VERSION.DLL", "GetFileVersionInfoA");
    static const auto query = SystemFunction<decltype(&VerQueryValueA)>("VERSION.DLL", "VerQueryValueA");
    if (!infoSize || !info || !query) return false;
    DWORD handle = 0;
    const DWORD size = infoSize(fileName.c_str(), &handle);
    if (size == 0) return false;
    std::vector<char> data(size);
    std::string text;
    char* value = nullptr;
    UINT length = 0;
    if (info(fileName.c_str(), 0, size, data.data()) &&
        query(data.data(), kFileVersionKey, reinterpret_cast<void**>(&value), &length) && value && length > 0)
        text.assign(value, strnlen(value, length));
    version = ParseFileVersion(text);
    return true;
}
