#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace VelaEmulator {

enum class Model {
    LS71,   // type code 71
    LS74,   // type code 74
    LS74B,  // type code 75, an LS74 of the second hardware revision
    LP81,   // point sensor on a pseudo-terminal
};

// Misbehaviour on request; every field off by default.
struct Faults {
    double udpLossShare = 0.0;      // share (0..1) of results pushed over UDP that are not sent
    bool refuseWrites = false;      // commands that change the sensor answer "refused"
    int dropAfterResults = -1;      // after this many more results served on control connections,
                                    // close the connection of the next request instead of
                                    // answering it (one-shot; -1 = never)
    bool silent = false;            // answer nothing at all: control, UDP, discovery, serial
    int answerDelayMs = 0;          // wait before every answer
};

using LogFunction = std::function<void(const std::string&)>;
// Called on the sensor's thread with the command of every control request it takes, in the
// order it takes them and before it answers; tests use it to see what reached the sensor and
// in what state their side was at that moment.
using RequestObserver = std::function<void(uint16_t command)>;

const char* modelName(Model model);
uint16_t typeCode(Model model);
bool isScanner(Model model);

} // namespace VelaEmulator
