#pragma once

#include <atomic>

namespace VelaStreamer {

// Waits ms milliseconds in a local event loop of the calling thread, so that events posted to
// that thread's objects are handled meanwhile. With a stop flag the wait ends early, within
// a few milliseconds, once the flag is set.
void timedWait(int ms);
void timedWait(int ms, const std::atomic<bool>& stop);

} // namespace VelaStreamer
