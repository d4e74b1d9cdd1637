// cbQosCMStatsTable: pre-policy and dropped packets of every class, from the Counter32 columns
// or, for classes too busy for 32 bits, the Counter64 ones.
#include "collect/column_walk.h"
#include "collect/columns.h"
#include "collect/debug.h"
#include "collect/decimal.h"
#include "collect/stages.h"

namespace {
constexpr std::string_view queueStatsPrefix = "1.3.6.1.4.1.9.9.166.1.15.1.1.2.";
constexpr std::string_view queueStats64Prefix = "1.3.6.1.4.1.9.9.166.1.15.1.1.3.";
}  // namespace

uint64_t counterValue(ResponseBinding& binding) {
    return binding.type() == ASN_COUNTER64 ? decimalToUnsigned64(binding.valueText())
                                           : decimalToUnsigned(binding.valueText());
}

void storeQueueStatsRow(QosObjectTable& table, Row row, bool highCapacity) {
    uint32_t policyIndex = 0;
    uint32_t objectIndex = 0;
    if (!scanIndexPair(row[0]->oidText(), highCapacity ? queueStats64Prefix : queueStatsPrefix,
                       policyIndex, objectIndex)) {
        return;
    }
    QosObjectRecord* record = table.findByPolicyObject(policyIndex, objectIndex);
    if (record == nullptr) {
        return;
    }
    if (highCapacity) {
        record->prePolicyPkts = counterValue(*row[0]);
        record->droppedPkts = counterValue(*row[1]);
    } else {
        record->prePolicyPkts = decimalToUnsigned(row[0]->valueText());
        record->droppedPkts = decimalToUnsigned(row[1]->valueText());
    }
}

WalkOutcome collectQueueStats(ColumnWalker& walker, QosObjectTable& table, bool highCapacity) {
    debugPrint("Starting queue stats collection\n");
    const std::span<const char* const> columns =
        highCapacity ? std::span(queueStats64Columns) : std::span(queueStatsColumns);
    const WalkOutcome outcome = walker.walk("classCounters", columns, 4, [&](Row row) {
        storeQueueStatsRow(table, row, highCapacity);
    });
    debugPrint("Finished queue stats collection\n\n");
    return outcome;
}
