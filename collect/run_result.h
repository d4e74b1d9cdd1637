// What one run hands back: the object table, the service policies with their interfaces, how
// each stage ended and the warnings it raised. Every writer works from this value alone.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "collect/field_table.h"
#include "collect/object_table.h"

// One row of cbQosServicePolicyTable: a policy instance attached to an interface.
struct ServicePolicy {
    uint32_t policyIndex = 0;
    uint32_t direction = 0;  // cbQosPolicyDirection: 1 input, 2 output
    uint32_t ifIndex = 0;
    std::optional<uint32_t> ifType;              // cbQosIfType; 5 is the control plane
    std::optional<std::string> interfaceName;    // ifName, else ifDescr; none when neither
    std::optional<uint64_t> speedBitsPerSecond;  // ifHighSpeed × 10^6, else ifSpeed
};

// A stage's name as the documents give it, and its failure line (empty when it ran to its end).
struct StageResult {
    std::string name;
    std::string failure;
    bool failed() const { return !failure.empty(); }
};

struct RunResult {
    std::string agent;
    bool sessionOpened = false;
    std::string openError;  // the library's reason, when no session opened
    QosObjectTable table;
    std::vector<ServicePolicy> servicePolicies;
    // The documents' action tables, at the positions of actionTables() (collect/action_tables.h).
    std::vector<TableRows> actionRows;
    // What each queueing action's bandwidth is in bits per second, by policyObjectKey(), where
    // it follows from the configuration.
    std::unordered_map<uint64_t, uint64_t> queueBandwidths;
    std::vector<StageResult> stages;  // in run order
    std::vector<std::string> warnings;
    double collectSeconds = 0;
    uint64_t requests = 0;    // SNMP requests sent
    uint64_t unanswered = 0;  // requests that got no answer in their time and tries
};
