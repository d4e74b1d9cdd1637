// What one probe asks of the collection library: one SNMP collection of one router.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>

#include "collect/tree_cache.h"
#include "exporter/collection_join.h"
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

// What the probes of one exporter share: the configuration cache and the collections that a
// probe may join.
struct ProbeShared {
    TreeCache& trees;
    CollectionJoin& joins;
};

ProbeAnswer runProbe(const ProbeJob& job, ProbeShared& shared);
