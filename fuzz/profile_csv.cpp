// A profile CSV file read with any column numbers, negative and beyond any line included.

#include "FuzzInput.h"
#include "VelaProfile.h"

using namespace VelaMath;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput input(data, size);
    const int xColumn = input.take<int32_t>();
    const int yColumn = input.take<int32_t>();
    const QString path = writeScratchFile(QStringLiteral("profile.csv"), input.rest());
    VelaProfile profile;
    profile.readFromCSVFile(path, xColumn, yColumn);
    profile.calcRange();
    return 0;
}
