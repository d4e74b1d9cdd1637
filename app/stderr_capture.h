// Standard error turned into lines the watch shows on its status line: the SNMP library writes
// its complaints there, and on a full-screen terminal they would land across the view.
#pragma once

#include <string>

class StderrCapture {
  public:
    // From here on, what is written to standard error is kept for take().
    StderrCapture();
    // Standard error as it was.
    ~StderrCapture();
    StderrCapture(const StderrCapture&) = delete;
    StderrCapture& operator=(const StderrCapture&) = delete;

    // What was written since the last call, its lines joined by "; ".
    std::string take();

  private:
    int saved_ = -1;
    int reader_ = -1;
};
