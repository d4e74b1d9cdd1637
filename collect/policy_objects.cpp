// cbQosObjectsTable: every policy map, class map, match statement and action, with its
// configuration index, type and parent.
#include <cstdio>

#include "collect/column_walk.h"
#include "collect/columns.h"
#include "collect/debug.h"
#include "collect/decimal.h"
#include "collect/stages.h"

namespace {
constexpr std::string_view policyObjectPrefix = "1.3.6.1.4.1.9.9.166.1.5.1.1.2.";
}  // namespace

bool storePolicyObjectRow(QosObjectTable& table, Row row) {
    uint32_t policyIndex = 0;
    uint32_t objectIndex = 0;
    if (!scanIndexPair(row[0]->oidText(), policyObjectPrefix, policyIndex, objectIndex)) {
        return true;  // not a row of this table's shape: nothing to store
    }
    return table.appendObject(policyIndex, objectIndex, decimalToUnsigned(row[0]->valueText()),
                              decimalToUnsigned(row[1]->valueText()),
                              decimalToUnsigned(row[2]->valueText()));
}

WalkOutcome collectPolicyObjects(ColumnWalker& walker, QosObjectTable& table) {
    debugPrint("Starting Policy collection\n");
    table.clearTable();
    uint32_t unstoredRows = 0;
    const WalkOutcome outcome = walker.walk("objects", policyObjectColumns, 3, [&](Row row) {
        if (!storePolicyObjectRow(table, row)) {
            ++unstoredRows;
        }
    });
    debugPrint("Finished Policy collection\n\n");
    if (unstoredRows != 0) {
        std::fflush(stdout);
        std::fprintf(stderr,
                     "galvetrin: the object table holds %u records; %u more QoS objects were "
                     "not stored\n",
                     table.capacity(), unstoredRows);
    }
    return outcome;
}
