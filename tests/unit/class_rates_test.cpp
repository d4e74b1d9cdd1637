// The watch's figures from two polls: rates over the time between the responses, a 32-bit
// counter's wrap, a 64-bit counter's reset, the router's own bit rates where it gives no bytes.
#include "report/class_rates.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Kind = ClassCounters::Kind;
using std::chrono::milliseconds;

struct Counter {
    Kind kind;
    uint64_t value;
    bool narrow;  // a Counter32
};

ClassReading reading(std::initializer_list<Counter> counters, int64_t atMilliseconds) {
    ClassReading r;
    for (const Counter& c : counters) {
        r.counters.set(c.kind, c.value);
        r.narrowKinds |= c.narrow ? 1U << c.kind : 0;
    }
    r.arrival = std::chrono::steady_clock::time_point(milliseconds(atMilliseconds));
    return r;
}

std::string text(const ClassFigures& f) {
    const auto one = [](const std::optional<double>& v) {
        return v ? std::to_string(static_cast<long long>(*v * 10)) : std::string("-");
    };
    return one(f.offeredBits) + " " + one(f.offeredPackets) + " " + one(f.sentBits) + " " +
           one(f.droppedPackets) + " " + one(f.dropPercent);
}

constexpr Kind prePackets = ClassCounters::prePolicyPackets;
constexpr Kind preBytes = ClassCounters::prePolicyBytes;
constexpr Kind postBytes = ClassCounters::postPolicyBytes;
constexpr Kind dropped = ClassCounters::droppedPackets;
constexpr Kind preRate = ClassCounters::prePolicyBitRate;
constexpr Kind postRate = ClassCounters::postPolicyBitRate;

TEST(ClassRates, FiguresOfTwoPolls) {
    // Figures times ten, whole: "-" is blank.
    const struct {
        ClassReading before, now;
        const char* figures;
    } cases[] = {
        // 2 s apart: 400 packets, 100,000 bytes offered, 90,000 sent, 40 dropped.
        {reading({{prePackets, 1000, false},
                  {preBytes, 0, false},
                  {postBytes, 0, false},
                  {dropped, 10, false}},
                 1000),
         reading({{prePackets, 1400, false},
                  {preBytes, 100'000, false},
                  {postBytes, 90'000, false},
                  {dropped, 50, false}},
                 3000),
         "4000000 2000 3600000 200 100"},
        // Nothing offered: no drop share.
        {reading({{prePackets, 7, false}, {dropped, 0, false}}, 0),
         reading({{prePackets, 7, false}, {dropped, 0, false}}, 500), "- 0 - 0 -"},
        // A Counter32 that went backwards wrapped once.
        {reading({{prePackets, 4'294'967'000, true}}, 0), reading({{prePackets, 704, true}}, 1000),
         "- 10000 - - -"},
        // A Counter64 that went backwards was cleared: the whole class is blank.
        {reading({{prePackets, 5000, false}, {dropped, 10, false}}, 0),
         reading({{prePackets, 10, false}, {dropped, 20, false}}, 1000), "- - - - -"},
        // No byte counters: the router's own bit rates.
        {reading({{prePackets, 0, true}, {preRate, 8000, false}}, 0),
         reading({{prePackets, 10, true}, {preRate, 16000, false}, {postRate, 4000, false}}, 1000),
         "160000 100 40000 - -"},
        // No time between the answers: nothing to divide by.
        {reading({{prePackets, 0, false}}, 1000), reading({{prePackets, 10, false}}, 1000),
         "- - - - -"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.figures, text(intervalFigures(c.before, c.now)));
    }
    EXPECT_EQ("80000 - 40000 - -",
              text(firstFigures(reading(
                  {{prePackets, 9, false}, {preRate, 8000, false}, {postRate, 4000, false}}, 0))));
}

}  // namespace
