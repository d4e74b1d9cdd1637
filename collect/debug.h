// The process-wide debug flag (-d) and the one helper that prints under it.
#pragma once

#include <cstdint>

extern int32_t debugMode;

// printf to standard output, only while debugMode is on.
[[gnu::format(printf, 1, 2)]] void debugPrint(const char* format, ...);
