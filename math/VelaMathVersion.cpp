#include "VelaMathVersion.h"

const char* VelaMath_GetVersionString()
{
    return VELA_VERSION;
}
