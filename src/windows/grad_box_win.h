#pragma once
#include <windows.h>

#include <string>

#include "windows/file_version.h"
#include "windows/grad_box.h"

// Paints the box's bands over the rectangle, each colour through the device's nearest colour.
void PaintGradBox(const TGradBox& box, HDC dc, const RECT& area);

// Reads the file's version resource (the Japanese string table's FileVersion); false and all
// numbers 0 when the file has none.
bool ReadFileVersion(const std::string& fileName, FileVersionInfo& version);
