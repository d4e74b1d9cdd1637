// cbQosServicePolicyTable: direction and ifIndex of every attached policy.
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
}  // namespace

void printServicePolicyRow(Row row) {
    const uint32_t policy =
        decimalToUnsigned(std::string_view(row[0]->oidText()).substr(servicePolicyPrefixLength));
    const uint32_t direction = decimalToUnsigned(row[0]->valueText());
    const uint32_t interface = decimalToUnsigned(row[1]->valueText());
    if (direction == outputDirection) {
        std::printf("%9u %9u Output\n", policy, interface);
    } else {
        std::printf("%9u %9u Direction:%u\n", policy, interface, direction);
    }
}

void collectServicePolicies(SnmpTarget& target) {
    debugPrint("Starting CBWFQ interface collection\n");
    std::printf("PolicyNum Interface Direction\n");
    std::printf("--------- --------- ---------\n");
    // The rows go to standard output while the walk runs.
    bulkColumnWalk(target, "servicePolicies", servicePolicyColumns, 4, [](Row row) {
        clearProgressLine();
        printServicePolicyRow(row);
    });
    debugPrint("Finished CBWFQ interface collection\n");
}
