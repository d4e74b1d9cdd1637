// cbQosCMStatsTable: pre-policy and dropped packets of every class (Counter32 columns).
#include "collect/column_walk.h"
#include "collect/columns.h"
#include "collect/debug.h"
#include "collect/decimal.h"
#include "collect/stages.h"

namespace {
constexpr std::string_view queueStatsPrefix = "1.3.6.1.4.1.9.9.166.1.15.1.1.2.";
}  // namespace

void storeQueueStatsRow(QosObjectTable& table, Row row) {
    uint32_t policyIndex = 0;
    uint32_t objectIndex = 0;
    if (!scanIndexPair(row[0]->oidText(), queueStatsPrefix, policyIndex, objectIndex)) {
        return;
    }
    QosObjectRecord* record = table.findByPolicyObject(policyIndex, objectIndex);
    if (record != nullptr) {
        record->prePolicyPkts = decimalToUnsigned(row[0]->valueText());
        record->droppedPkts = decimalToUnsigned(row[1]->valueText());
    }
}

void collectQueueStats(SnmpTarget& target, QosObjectTable& table) {
    debugPrint("Starting queue stats collection\n");
    bulkColumnWalk(target, "classCounters", queueStatsColumns, 4,
                   [&](Row row) { storeQueueStatsRow(table, row); });
    debugPrint("Finished queue stats collection\n\n");
}
