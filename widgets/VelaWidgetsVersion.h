#pragma once

#include "velawidgets_global.h"

// Version of the widgets library, the project's version ("2.0.10").
extern "C" VELAWIDGETS_EXPORT const char* VelaWidgets_lib_ver();
