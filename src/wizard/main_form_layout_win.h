#pragma once
#include <vector>

#include "windows/form_win.h"

extern const FormDef kMainForm;
std::vector<ControlDef> MainFormControls();
