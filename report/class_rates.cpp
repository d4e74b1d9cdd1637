#include "report/class_rates.h"

#include <cstdint>

namespace {

using Kind = ClassCounters::Kind;

std::optional<double> routerRate(const ClassCounters& counters, Kind kind) {
    if (!counters.has(kind)) {
        return std::nullopt;
    }
    return static_cast<double>(counters.value(kind));
}

// A counter's increase between two readings; `cleared` when a 64-bit counter went backwards.
struct Increase {
    std::optional<double> value;
    bool cleared = false;
};

Increase increase(const ClassReading& before, const ClassReading& now, Kind kind) {
    if (!before.counters.has(kind) || !now.counters.has(kind)) {
        return {};
    }
    const uint64_t from = before.counters.value(kind);
    const uint64_t to = now.counters.value(kind);
    if (to >= from) {
        return {static_cast<double>(to - from)};
    }
    const bool narrow = (before.narrowKinds & now.narrowKinds & (1U << kind)) != 0;
    if (narrow) {
        return {static_cast<double>((uint64_t{1} << 32) - from + to)};
    }
    return {std::nullopt, true};
}

std::optional<double> perSecond(const std::optional<double>& count, double seconds,
                                double factor = 1) {
    if (!count) {
        return std::nullopt;
    }
    return *count * factor / seconds;
}

}  // namespace

ClassFigures firstFigures(const ClassReading& now) {
    ClassFigures figures;
    figures.offeredBits = routerRate(now.counters, ClassCounters::prePolicyBitRate);
    figures.sentBits = routerRate(now.counters, ClassCounters::postPolicyBitRate);
    return figures;
}

ClassFigures intervalFigures(const ClassReading& before, const ClassReading& now) {
    const double seconds = std::chrono::duration<double>(now.arrival - before.arrival).count();
    const Increase offeredBytes = increase(before, now, ClassCounters::prePolicyBytes);
    const Increase offeredPackets = increase(before, now, ClassCounters::prePolicyPackets);
    const Increase sentBytes = increase(before, now, ClassCounters::postPolicyBytes);
    const Increase dropped = increase(before, now, ClassCounters::droppedPackets);
    if (seconds <= 0 || offeredBytes.cleared || offeredPackets.cleared || sentBytes.cleared ||
        dropped.cleared) {
        return {};
    }
    const ClassFigures router = firstFigures(now);
    ClassFigures figures;
    figures.offeredBits = now.counters.has(ClassCounters::prePolicyBytes)
                              ? perSecond(offeredBytes.value, seconds, 8)
                              : router.offeredBits;
    figures.sentBits = now.counters.has(ClassCounters::postPolicyBytes)
                           ? perSecond(sentBytes.value, seconds, 8)
                           : router.sentBits;
    figures.offeredPackets = perSecond(offeredPackets.value, seconds);
    figures.droppedPackets = perSecond(dropped.value, seconds);
    if (offeredPackets.value && dropped.value && *offeredPackets.value > 0) {
        figures.dropPercent = *dropped.value * 100 / *offeredPackets.value;
    }
    return figures;
}
