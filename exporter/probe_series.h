// The series a probe adds about itself, after the router's.
#pragma once

#include <cstdint>
#include <string>

struct ProbeFacts {
    bool success = false;  // every stage ran to its end
    double durationSeconds = 0;
    double deadlineSeconds = 0;  // the time the probe was given
    uint64_t requests = 0;       // SNMP requests sent
    uint64_t unanswered = 0;     // requests that got no answer in their time and tries
    bool treeFromCache = false;
};

void appendProbeSeries(const ProbeFacts& facts, std::string& out);
