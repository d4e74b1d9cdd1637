// What one probe asks of the collection library: one SNMP collection of one router.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>

#include "exporter/config.h"

struct ProbeJob {
    AuthEntry auth;  // protocols as the snmp layer's enums; secrets loaded
    ModuleEntry module;
    std::string host;  // without brackets
    uint16_t port = 161;
    std::chrono::steady_clock::time_point deadline;
    const std::atomic<bool>* cancelled = nullptr;  // set when the exporter shuts down
    bool debug = false;                            // &debug=true
};

struct ProbeAnswer {
    std::string body;  // exposition text, or the debug lines
    bool success = false;
};

// The lead implements runProbe in exporter/probe.cpp.
ProbeAnswer runProbe(const ProbeJob& job);
