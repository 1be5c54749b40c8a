#include "VelaMathVersion.h"

const char* VelaMath_GetVersionString()
{
    return "2.0.10";
}
