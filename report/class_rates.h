// The watch's figures for one class from two polls of its counters: what went through it per
// second in the time between the arrivals of the two responses that carried them.
#pragma once

#include <optional>

#include "collect/tree_snapshot.h"

// Each figure is blank (none) where it cannot be told.
struct ClassFigures {
    std::optional<double> offeredBits;     // pre-policy bits per second
    std::optional<double> offeredPackets;  // pre-policy packets per second
    std::optional<double> sentBits;        // post-policy bits per second
    std::optional<double> droppedPackets;  // per second
    std::optional<double> dropPercent;     // of the offered packets; blank when none was offered
    bool drops() const { return droppedPackets.value_or(0) > 0; }
};

// Before a second poll only the router's own bit rates.
ClassFigures firstFigures(const ClassReading& now);
// From the increases since `before`. A 32-bit counter that went backwards wrapped once; a
// 64-bit one was cleared, and then every figure of the class is blank. A class whose router
// gives no byte counters shows the router's own bit rates.
ClassFigures intervalFigures(const ClassReading& before, const ClassReading& now);
