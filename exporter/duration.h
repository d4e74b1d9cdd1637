// Durations as Prometheus and its exporters write them (Go's time.ParseDuration grammar):
// "500ms", "0.5s", "1m30s", "0s", a bare "0"; units ns, us, µs, ms, s, m, h.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

// Nothing for text outside the grammar, a sign, or a value beyond 2^63 nanoseconds.
std::optional<std::chrono::nanoseconds> parseDuration(std::string_view text);

// A text parseDuration reads back as the same value: "1m30s", "1s500ms", "0s".
std::string formatDuration(std::chrono::nanoseconds duration);
