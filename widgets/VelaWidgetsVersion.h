#pragma once

#include "velawidgets_global.h"

// Version of the widgets library, "2.0.10".
extern "C" VELAWIDGETS_EXPORT const char* VelaWidgets_lib_ver();
