#pragma once

#include <QtGlobal>

// The two operating-system services the program relies on, kept under the names the
// rest of the code calls them by.

// Milliseconds on a monotonic clock; wraps around like any 32-bit tick count, so callers
// take differences as unsigned 32-bit numbers.
quint32 GetTickCount();

// Replaces the clock behind GetTickCount (tests drive time with it); null restores the
// monotonic clock.
using TickCountSource = quint32 (*)();
void setTickCountSource(TickCountSource source);

// Blocks the calling thread for the given number of milliseconds.
void Sleep(quint32 milliseconds);
