// The one line on standard error that shows a long column walk is alive to a person watching
// a terminal. Standard output, and so the report, never carries it.
#pragma once

#include <chrono>
#include <cstdint>

class ProgressLine {
  public:
    // Shows nothing unless standard error is a terminal and `enabled`.
    explicit ProgressLine(bool enabled);

    void begin(const char* stage);
    // Rewrites the line in place once the walk has run for a second, at most ten times a
    // second: "objects: 12,345 rows, 4,115 requests".
    void update(uint64_t rows, uint64_t requests);
    void end() { erase(); }
    // Before a line goes to standard output: when that is a terminal too, erases the progress
    // line so the report's line does not start after its text. The next update draws it again.
    void clearForOutput();

  private:
    using Clock = std::chrono::steady_clock;
    void erase();

    bool enabled_;
    bool outputIsTerminal_;
    bool shown_ = false;
    const char* stage_ = "";
    Clock::time_point start_;
    Clock::time_point lastDrawn_;
};
