// cbQosObjectsTable: every policy map, class map, match statement and action, with its
// configuration index, type and parent.
#include <string>

#include "collect/stages.h"

bool storePolicyObjectRow(QosObjectTable& table, Row row) {
    const std::span<const oid> name = row[0]->name();
    const size_t indexAt = cbQosConfigIndex.size();
    if (name.size() < indexAt + 2) {
        return true;  // not a row of this table's shape: nothing to store
    }
    return table.appendObject(subidAt(name, indexAt), subidAt(name, indexAt + 1), row[0]->number(),
                              row[1]->number(), row[2]->number());
}

WalkOutcome collectPolicyObjects(ColumnWalker& walker, QosObjectTable& table) {
    RunContext& context = walker.context();
    context.debug("Starting Policy collection\n");
    table.clearTable();
    uint32_t unstoredRows = 0;
    const WalkOutcome outcome = walker.walk(policyObjectWalk, [&](Row row) {
        if (!storePolicyObjectRow(table, row)) {
            ++unstoredRows;
        }
    });
    context.debug("Finished Policy collection\n\n");
    if (unstoredRows != 0) {
        context.warn("galvetrin: the object table holds " + std::to_string(table.capacity()) +
                     " records; " + std::to_string(unstoredRows) +
                     " more QoS objects were not stored");
    }
    return outcome;
}
