#include "Recording.h"

#include "Camera.h"

#include <VelaPointTraits.h>
#include <VelaProfileZ.h>

#include <cmath>

namespace VelaEmulator {

using VelaMath::VelaRecordKind;
using VelaMath::VelaRecordReader;

namespace {

bool sameZ(float a, float b)
{
    return a == b || (std::isnan(a) && std::isnan(b));
}

} // namespace

bool Recording::open(const std::string& path, Model model, bool loop, std::string* error,
                     std::vector<std::string>* warnings)
{
    m_model = model;
    m_maxPoints = model == Model::LS71 ? 1024 : 1280;
    m_loop = loop;
    m_xz.assign(size_t(2 * m_maxPoints), 0.0f);
    m_file.setFileName(QString::fromStdString(path));
    if (!m_file.open(QIODevice::ReadOnly)) {
        *error = path + ": " + m_file.errorString().toStdString();
        return false;
    }
    if (m_file.isSequential()) {
        *error = path + ": not a regular file (a recording is read more than once)";
        return false;
    }
    rewind();
    Stats stats;
    int64_t profiles = 0;
    while (readProfile(&stats))
        ++profiles;
    const std::string reason = m_reader->errorString().toStdString();
    switch (m_reader->fault()) {
    case VelaRecordReader::Fault::None:
        break;
    case VelaRecordReader::Fault::CutShort:
        warnings->push_back(path + ": " + reason + "; that last record is left out");
        break;
    default:
        *error = path + ": " + reason;
        return false;
    }
    if (profiles == 0) {
        *error = path + ": holds no profile to play";
        return false;
    }
    const std::string name = modelName(model);
    if (stats.undefined)
        warnings->push_back(path + ": " + std::to_string(stats.undefined)
                            + " points without a value are left out (a sensor sends none)");
    if (stats.beyondMax)
        warnings->push_back(path + ": " + std::to_string(stats.beyondMax) + " points beyond the "
                            + std::to_string(m_maxPoints) + " of an " + name + " profile are left out");
    if (stats.inexact)
        warnings->push_back(path + ": " + std::to_string(stats.inexact) + " points are not on the " + name
                            + "'s raw grid and are sent rounded to it");
    m_profiles = profiles;
    rewind();
    return true;
}

void Recording::rewind()
{
    m_file.seek(0);
    m_reader = std::make_unique<VelaRecordReader>(m_file);
    m_played = 0;
    m_ended = false;
    m_count = 0;
    m_counterStep = -1;
    m_hasCounter = false;
    m_inCloud = false;
    m_pending = false;
}

bool Recording::next()
{
    if (m_ended)
        return false;
    if (m_played == m_profiles) {
        if (!m_loop) {
            m_ended = true;
            return false;
        }
        rewind();
    }
    Stats ignored;
    if (!readProfile(&ignored)) {
        m_ended = true;   // the file changed since it was checked
        return false;
    }
    ++m_played;
    return true;
}

void Recording::take(float x, float y, Stats* stats)
{
    if (std::isnan(x) || std::isnan(y)) {
        ++stats->undefined;
        return;
    }
    if (m_count == m_maxPoints) {
        ++stats->beyondMax;
        return;
    }
    if (!carriesExactly(m_model, x, y))
        ++stats->inexact;
    m_xz[size_t(2 * m_count)] = x;
    m_xz[size_t(2 * m_count + 1)] = y;
    ++m_count;
}

bool Recording::readProfile(Stats* stats)
{
    m_count = 0;
    if (m_inCloud) {
        if (readCloudRun(stats))
            return true;
        if (m_reader->failed())
            return false;
        m_inCloud = false;
    }
    while (m_reader->nextRecord()) {
        const VelaMath::VelaRecordHeader& header = m_reader->header();
        if (header.kind == VelaRecordKind::Cloud3D || header.kind == VelaRecordKind::CloudRGB) {
            m_inCloud = true;
            m_pending = false;
            if (readCloudRun(stats))
                return true;
            if (m_reader->failed())
                return false;
            m_inCloud = false;
            continue;   // an empty cloud
        }
        if (!VelaMath::velaReadRecordPoints<VelaMath::VelaPointXY>(
                *m_reader, [&](const VelaMath::VelaPointXY& p) { take(p.x, p.y, stats); }))
            return false;
        quint16 counter = 0;
        const bool tagged = header.kind == VelaRecordKind::ProfileZ
            && VelaMath::VelaProfileZ::taggedCounter(header.z, &counter);
        m_counterStep = tagged && m_hasCounter ? uint16_t(counter - m_counter) : -1;
        m_hasCounter = tagged;
        m_counter = counter;
        return true;
    }
    return false;
}

bool Recording::readCloudRun(Stats* stats)
{
    m_counterStep = -1;
    m_hasCounter = false;
    bool started = m_pending;
    float runZ = m_pendingPoint[2];
    if (m_pending) {
        take(m_pendingPoint[0], m_pendingPoint[1], stats);
        m_pending = false;
    }
    // Point by point, so that a run ends where z changes; the first 12 bytes are x, y, z
    // in colour clouds too.
    uchar record[16];
    while (m_reader->readPoints(record, 1) == 1) {
        const VelaMath::VelaPointXYZ p = VelaMath::VelaPointTraits<VelaMath::VelaPointXYZ>::load(record);
        if (started && !sameZ(p.z, runZ)) {
            m_pendingPoint[0] = p.x;
            m_pendingPoint[1] = p.y;
            m_pendingPoint[2] = p.z;
            m_pending = true;
            return true;
        }
        if (!started) {
            runZ = p.z;
            started = true;
        }
        take(p.x, p.y, stats);
    }
    return started && !m_reader->failed();
}

} // namespace VelaEmulator
