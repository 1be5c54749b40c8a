#include "VelaWidgetsVersion.h"

const char* VelaWidgets_lib_ver()
{
    return "2.0.10";
}
