// Tells the run's progress sink that a walk began, moved on and ended; what is drawn, and when,
// is the front end's business.
#pragma once

#include <cstdint>

#include "collect/run_context.h"

class WalkProgress {
  public:
    WalkProgress(const RunContext& context, const char* stage) : sinks_(context.sinks()) {
        if (sinks_.walkBegin) {
            sinks_.walkBegin(stage);
        }
    }
    ~WalkProgress() {
        if (sinks_.walkEnd) {
            sinks_.walkEnd();
        }
    }
    WalkProgress(const WalkProgress&) = delete;
    WalkProgress& operator=(const WalkProgress&) = delete;

    void update(uint64_t rows, uint64_t requests) const {
        if (sinks_.walkProgress) {
            sinks_.walkProgress(rows, requests);
        }
    }

  private:
    const RunSinks& sinks_;
};
