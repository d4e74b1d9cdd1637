// What a run collects beside the object table, for the JSON and metrics documents: the service
// policies with their interfaces, and how each stage ended.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// One row of cbQosServicePolicyTable: a policy instance attached to an interface.
struct ServicePolicy {
    uint32_t policyIndex = 0;
    uint32_t direction = 0;  // cbQosPolicyDirection: 1 input, 2 output
    uint32_t ifIndex = 0;
    std::optional<uint32_t> ifType;            // cbQosIfType; 5 is the control plane
    std::optional<std::string> interfaceName;  // ifName, else ifDescr; none when neither
};

// A stage's name as the documents give it, and its failure line (empty when it ran to its end).
struct StageResult {
    std::string name;
    std::string failure;
};

struct RunRecord {
    std::string agent;
    std::vector<ServicePolicy> servicePolicies;
    std::vector<StageResult> stages;  // in run order
    double collectSeconds = 0;
};
