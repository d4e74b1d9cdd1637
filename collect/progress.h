// The one line on standard error that shows a long column walk is alive to a person watching
// a terminal. Standard output, and so the report, never carries it.
#pragma once

#include <chrono>
#include <cstdint>

class WalkProgress {
  public:
    // Shows nothing unless standard error is a terminal and debug mode is off.
    explicit WalkProgress(const char* stage);
    ~WalkProgress();  // clears the line
    WalkProgress(const WalkProgress&) = delete;
    WalkProgress& operator=(const WalkProgress&) = delete;

    // Rewrites the line in place once the walk has run for a second, at most ten times a
    // second: "objects: 12,345 rows, 4,115 requests".
    void update(uint64_t rows, uint64_t requests);

  private:
    using Clock = std::chrono::steady_clock;
    const char* stage_;
    bool enabled_;
    Clock::time_point start_;
    Clock::time_point lastDrawn_;
};

// Called before a walk writes a line to standard output: when that is a terminal too, erases
// the progress line so the report's line does not start after its text. The walk's next
// update draws it again.
void clearProgressLine();
