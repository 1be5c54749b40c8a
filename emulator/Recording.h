#pragma once

#include "EmulatorTypes.h"

#include <QFile>

#include <VelaRecordReader.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace VelaEmulator {

// A recording played back as a scanner's measurements: a dump, a profile set (Z-profile
// records), or a point-cloud file (each 2-D cloud one profile, each run of equal z of a 3-D
// cloud one profile). The file is read as it plays, one profile at a time; open() reads it
// once through first, so that a file that cannot be played is refused at the start.
class Recording
{
public:
    // Checks the whole file for playing on this model. False, with the reason and the byte
    // offset in error, when the file cannot be played; a cut-short last record is left out
    // with a warning. Warnings also name points the model cannot carry exactly.
    bool open(const std::string& path, Model model, bool loop, std::string* error,
              std::vector<std::string>* warnings);

    // Moves on to the next profile; false once the recording has ended (never when looping).
    bool next();
    // Back to before the first profile, as at a power-on.
    void rewind();
    bool ended() const { return m_ended; }

    // The current profile's X, Z pairs (mm): its defined points, at most the model's count.
    const float* points() const { return m_xz.data(); }
    int count() const { return m_count; }
    // The step of the measurement counter the recording shows from the previous profile to
    // this one, or -1 when it does not show one.
    int counterStep() const { return m_counterStep; }

    int64_t profiles() const { return m_profiles; }

private:
    struct Stats {
        int64_t undefined = 0;      // points with a NaN coordinate, left out
        int64_t inexact = 0;        // points off the model's raw grid
        int64_t beyondMax = 0;      // points over the model's count per profile
    };
    // Reads the next profile of the file into m_xz; false at the end of the file or a fault.
    bool readProfile(Stats* stats);
    bool readCloudRun(Stats* stats);
    void take(float x, float y, Stats* stats);

    Model m_model = Model::LS74;
    int m_maxPoints = 0;
    bool m_loop = false;
    QFile m_file;
    std::unique_ptr<VelaMath::VelaRecordReader> m_reader;
    int64_t m_profiles = 0;         // playable profiles
    int64_t m_played = 0;           // of them since the start of this pass
    bool m_ended = false;

    std::vector<float> m_xz;
    int m_count = 0;
    int m_counterStep = -1;
    bool m_hasCounter = false;
    uint16_t m_counter = 0;
    // A 3-D cloud record is read point by point; the point that began the next run waits here.
    bool m_inCloud = false;
    bool m_pending = false;
    float m_pendingPoint[3] = {0, 0, 0};
};

} // namespace VelaEmulator
