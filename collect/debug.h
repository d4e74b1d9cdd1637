// The process-wide debug flag (-d) and the one helper that prints under it.
#pragma once

#include <cstdint>
#include <cstdio>

extern int32_t debugMode;
// Standard output, or standard error when standard output carries a document.
extern FILE* debugOut;

// printf to debugOut, only while debugMode is on.
[[gnu::format(printf, 1, 2)]] void debugPrint(const char* format, ...);
