// The watch's output where standard output is no terminal: one block of plain text per poll,
// for logs and for programs.
#pragma once

#include <chrono>
#include <cstdio>
#include <span>
#include <string>

#include "report/watch_rows.h"

// A timestamp line (ISO 8601, UTC), the status line after "# " when there is one, one line per
// class with columns as wide as their longest entry (interface, direction, path, offered
// bits/s, offered packets/s, sent bits/s, dropped packets/s, drop %), then a blank line; flushed.
// False when the stream would not take it (a closed pipe).
bool writeWatchBlock(FILE* out, std::chrono::system_clock::time_point time,
                     const std::string& status, std::span<const WatchRow> rows);
