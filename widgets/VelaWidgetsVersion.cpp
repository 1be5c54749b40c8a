#include "VelaWidgetsVersion.h"

const char* VelaWidgets_lib_ver()
{
    return VELA_VERSION;
}
