// Durations in Go's grammar, as the exporter's flags and configuration file write them.
#include "exporter/duration.h"

#include <gtest/gtest.h>

namespace {

using std::chrono::nanoseconds;

TEST(Duration, GoGrammar) {
    const std::pair<const char*, std::optional<int64_t>> cases[] = {
        {"0", 0},
        {"0s", 0},
        {"500ms", 500'000'000},
        {"0.5s", 500'000'000},
        {".5s", 500'000'000},
        {"1.s", 1'000'000'000},
        {"1m30s", 90'000'000'000},
        {"1h15m", 4'500'000'000'000},
        {"15m", 900'000'000'000},
        {"1h1m1s1ms1us1ns", 3'661'001'001'001},
        {"2\u00b5s", 2'000},
        {"2\u03bcs", 2'000},
        {"2562047h", 9'223'369'200'000'000'000},
        {"2562048h", std::nullopt},  // beyond 2^63 ns
        {"", std::nullopt},
        {"5", std::nullopt},
        {"s", std::nullopt},
        {".s", std::nullopt},
        {"-1s", std::nullopt},
        {"1 s", std::nullopt},
        {"1d", std::nullopt},
        {"1sm", std::nullopt},
        {"1m30", std::nullopt},
    };
    for (const auto& [text, expected] : cases) {
        const auto parsed = parseDuration(text);
        EXPECT_EQ(expected, parsed ? std::optional(parsed->count()) : std::nullopt) << text;
    }
}

TEST(Duration, FormatReadsBack) {
    for (const int64_t value :
         {int64_t{0}, int64_t{1}, int64_t{1'500'000'000}, int64_t{5'000'000'000},
          int64_t{90'000'000'000}, int64_t{3'661'001'001'001}}) {
        const std::string text = formatDuration(nanoseconds(value));
        EXPECT_EQ(value, parseDuration(text).value_or(nanoseconds(-1)).count()) << text;
    }
    EXPECT_EQ("1m30s", formatDuration(std::chrono::seconds(90)));
}

}  // namespace
