// Z-profile records, profile-set files and measurement dumps (a dump is a set file), and files
// of 2-D clouds read as a set: records one after another from a file on disk and from a pipe,
// then the whole file through the set readers and what a caller does with a set.

#include "FuzzInput.h"
#include "VelaProfileZ.h"
#include "VelaProfileZSet.h"

using namespace VelaMath;

namespace {

constexpr int MaxRecords = 64;

void readRecords(QFile& file)
{
    VelaProfileZ profile;
    for (int record = 0; record < MaxRecords && profile.readFromFile(file) >= 0; ++record)
        profile.calcRange();
}

void useSet(VelaProfileZSet& set)
{
    set.calcRange();
    volatile float average = set.calcAverageY();
    (void)average;
    VelaPointCloud<VelaPointXYZ> cloud;
    set.toPointCloud(cloud);
    VelaProfileZSet part;
    set.getRange(set.minZ, set.maxZ, part);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray content(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString path = readAsFiles(QStringLiteral("set.bin"), content, readRecords);
    VelaProfileZSet set;
    set.readFromFile(path);
    useSet(set);
    set.readFromFile(path, 100.0f, 0.5f);
    useSet(set);
    return 0;
}
