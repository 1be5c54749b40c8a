#pragma once

#include <atomic>

namespace VelaStreamer {

// How long a loop rests after a device call that failed before it tries again: a sensor that
// is gone or refuses fails at once, and retrying back to back would burn a core (and, where
// each failure is reported, flood the receivers).
constexpr int FailureWaitMs = 50;

// Waits ms milliseconds in a local event loop of the calling thread, so that events posted to
// that thread's objects are handled meanwhile. With a stop flag the wait ends early, within
// a few milliseconds, once the flag is set.
void timedWait(int ms);
void timedWait(int ms, const std::atomic<bool>& stop);

} // namespace VelaStreamer
