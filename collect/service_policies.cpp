// cbQosServicePolicyTable: direction and ifIndex of every attached policy, and for the
// documents its interface type.
#include "collect/stages.h"

#include <algorithm>

ServicePolicy readServicePolicyRow(Row row) {
    const std::span<const oid> name = row[0]->name();
    const size_t indexAt = cbQosPolicyDirection.size();
    ServicePolicy policy;
    policy.policyIndex = subidAt(name, indexAt);
    policy.direction = row[0]->number();
    policy.ifIndex = row[1]->number();
    // A router without cbQosIfType answers that column with whatever follows it: the type
    // counts only where it is the same row's.
    if (row.size() > 2) {
        const std::span<const oid> typeName = row[2]->name();
        const bool sameRow =
            typeName.size() == name.size() &&
            std::equal(cbQosIfType.begin(), cbQosIfType.end(), typeName.begin()) &&
            std::equal(name.begin() + indexAt, name.end(), typeName.begin() + indexAt);
        if (sameRow) {
            policy.ifType = row[2]->number();
        }
    }
    return policy;
}

WalkOutcome collectServicePolicies(ColumnWalker& walker, const StageWalk& walk,
                                   std::vector<ServicePolicy>& policies) {
    const RunContext& context = walker.context();
    context.debug("Starting CBWFQ interface collection\n");
    if (context.sinks().servicePoliciesBegin) {
        context.sinks().servicePoliciesBegin();
    }
    // Each row is shown while the walk runs (with -fast, once it has ended).
    const WalkOutcome outcome = walker.walk(walk, [&](Row row) {
        const ServicePolicy& policy = policies.emplace_back(readServicePolicyRow(row));
        if (context.sinks().servicePolicy) {
            context.sinks().servicePolicy(policy);
        }
    });
    context.debug("Finished CBWFQ interface collection\n");
    return outcome;
}
