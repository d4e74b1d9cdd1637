// cbQosServicePolicyTable: direction and ifIndex of every attached policy, and for the
// documents its interface type.
#include <cstdio>

#include "collect/column_walk.h"
#include "collect/columns.h"
#include "collect/debug.h"
#include "collect/decimal.h"
#include "collect/progress.h"
#include "collect/stages.h"

namespace {
constexpr size_t servicePolicyPrefixLength = 30;
constexpr uint32_t outputDirection = 2;

ServicePolicy readServicePolicyRow(Row row) {
    const std::string_view index =
        std::string_view(row[0]->oidText()).substr(servicePolicyPrefixLength);
    ServicePolicy policy;
    policy.policyIndex = decimalToUnsigned(index);
    policy.direction = decimalToUnsigned(row[0]->valueText());
    policy.ifIndex = decimalToUnsigned(row[1]->valueText());
    // A router without cbQosIfType answers that column with whatever follows it.
    if (row.size() > 2 &&
        row[2]->oidText() == std::string(servicePolicyTypedColumns[2]) + "." + std::string(index)) {
        policy.ifType = decimalToUnsigned(row[2]->valueText());
    }
    return policy;
}
}  // namespace

void printServicePolicyRow(Row row) {
    const ServicePolicy policy = readServicePolicyRow(row);
    if (policy.direction == outputDirection) {
        std::printf("%9u %9u Output\n", policy.policyIndex, policy.ifIndex);
    } else {
        std::printf("%9u %9u Direction:%u\n", policy.policyIndex, policy.ifIndex, policy.direction);
    }
}

std::vector<uint32_t> collectServicePolicies(ColumnWalker& walker) {
    debugPrint("Starting CBWFQ interface collection\n");
    std::printf("PolicyNum Interface Direction\n");
    std::printf("--------- --------- ---------\n");
    std::vector<uint32_t> policies;
    // The rows go to standard output while the walk runs (with -fast, once it has ended).
    walker.walk("servicePolicies", servicePolicyColumns, 4, [&](Row row) {
        clearProgressLine();
        printServicePolicyRow(row);
        policies.push_back(readServicePolicyRow(row).policyIndex);
    });
    debugPrint("Finished CBWFQ interface collection\n");
    return policies;
}

WalkOutcome collectServicePolicyTable(ColumnWalker& walker, std::vector<ServicePolicy>& policies) {
    debugPrint("Starting CBWFQ interface collection\n");
    const WalkOutcome outcome =
        walker.walk("servicePolicies", servicePolicyTypedColumns, 4,
                    [&](Row row) { policies.push_back(readServicePolicyRow(row)); });
    debugPrint("Finished CBWFQ interface collection\n");
    return outcome;
}
