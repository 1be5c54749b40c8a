// A point-cloud file: records of any of the three point types (markers 2, 3 and 4) one after
// another, read as a caller that does not know the mix does, each type tried in turn at every
// position. Read from a file on disk and from a pipe, whose size is not known in advance.

#include "FuzzInput.h"
#include "VelaPointCloud.h"
#include "VelaProfile.h"

using namespace VelaMath;

namespace {

constexpr int MaxRecords = 64;

template<class Cloud> bool readOne(QFile& file, Cloud& cloud)
{
    if (cloud.readFromFile(file) < 0)
        return false;
    cloud.calcRange();
    return true;
}

void readAll(QFile& file)
{
    VelaProfile profile;
    VelaPointCloud<VelaPointXYZ> cloud3;
    VelaPointCloud<VelaPointXYZRGB> cloudRGB;
    for (int record = 0; record < MaxRecords; ++record) {
        if (readOne(file, profile))
            continue;
        if (readOne(file, cloud3)) {
            cloud3.sort(SortAscending, SortAscending);
            continue;
        }
        if (!readOne(file, cloudRGB))
            break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray content(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString path = readAsFiles(QStringLiteral("cloud.bin"), content, readAll);
    VelaProfile profile;
    profile.readFromFile(path);
    return 0;
}
