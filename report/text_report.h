// The text report: while the run goes on, the service policy table row by row and each
// failure line at its stage's place; at its end the flat listing and the tree of the objects.
#pragma once

#include <cstdio>
#include <string_view>

#include "collect/run_result.h"

class TextReport {
  public:
    explicit TextReport(FILE* out) : out_(out) {}

    void beginServicePolicies();
    void servicePolicy(const ServicePolicy& policy);
    void failure(std::string_view line);
    // The two listings of the run's object table.
    void listings(const RunResult& result);

  private:
    FILE* out_;
};
