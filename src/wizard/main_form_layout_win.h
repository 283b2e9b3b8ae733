#pragma once
#include <vector>

#include "windows/form_win.h"

extern const FormSpec kMainFormSpec;
std::vector<ControlSpec> MainFormControls();
