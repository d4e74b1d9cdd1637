// cbQosCMStatsTable for the documents: every counter column a class can have, each walked on
// its own, since routers give different subsets (many switches only the 64-bit ones).
#include "collect/column_walk.h"
#include "collect/debug.h"
#include "collect/decimal.h"
#include "collect/stages.h"

namespace {

struct CounterColumn {
    const char* oid;
    ClassCounters::Kind kind;
};

// Walked in this order: a 64-bit packet counter replaces the 32-bit one walked before it.
constexpr CounterColumn counterColumns[] = {
    {"1.3.6.1.4.1.9.9.166.1.15.1.1.2", ClassCounters::prePolicyPackets},    // cbQosCMPrePolicyPkt
    {"1.3.6.1.4.1.9.9.166.1.15.1.1.13", ClassCounters::droppedPackets},     // cbQosCMDropPkt
    {"1.3.6.1.4.1.9.9.166.1.15.1.1.3", ClassCounters::prePolicyPackets},    // ...PrePolicyPkt64
    {"1.3.6.1.4.1.9.9.166.1.15.1.1.6", ClassCounters::prePolicyBytes},      // ...PrePolicyByte64
    {"1.3.6.1.4.1.9.9.166.1.15.1.1.7", ClassCounters::prePolicyBitRate},    // ...PrePolicyBitRate
    {"1.3.6.1.4.1.9.9.166.1.15.1.1.10", ClassCounters::postPolicyBytes},    // ...PostPolicyByte64
    {"1.3.6.1.4.1.9.9.166.1.15.1.1.11", ClassCounters::postPolicyBitRate},  // ...PostPolicyBitRate
    {"1.3.6.1.4.1.9.9.166.1.15.1.1.14", ClassCounters::droppedPackets},     // cbQosCMDropPkt64
    {"1.3.6.1.4.1.9.9.166.1.15.1.1.17", ClassCounters::droppedBytes},       // cbQosCMDropByte64
    {"1.3.6.1.4.1.9.9.166.1.15.1.1.18", ClassCounters::dropBitRate},        // cbQosCMDropBitRate
    {"1.3.6.1.4.1.9.9.166.1.15.1.1.21", ClassCounters::noBufferDroppedPackets},  // NoBufDropPkt64
};

// One column per request carries as many bindings as the other walks' two columns by four.
constexpr long singleColumnRepetitions = 8;

}  // namespace

void storeClassCounterRow(QosObjectTable& table, Row row, std::string_view prefix,
                          ClassCounters::Kind kind) {
    uint32_t policyIndex = 0;
    uint32_t objectIndex = 0;
    if (!scanIndexPair(row[0]->oidText(), prefix, policyIndex, objectIndex)) {
        return;
    }
    if (QosObjectRecord* record = table.findByPolicyObject(policyIndex, objectIndex)) {
        record->counters.set(kind, counterValue(*row[0]));
    }
}

void planClassCounterWalks(std::vector<PlannedWalk>& plan) {
    constexpr uint32_t counterValueBytes = 10;  // a Counter64 or a bit rate
    for (const CounterColumn& column : counterColumns) {
        plan.push_back({std::span(&column.oid, 1), counterValueBytes, true});
    }
}

WalkOutcome collectClassCounters(ColumnWalker& walker, QosObjectTable& table) {
    debugPrint("Starting class counter collection\n");
    WalkOutcome stage;
    for (const CounterColumn& column : counterColumns) {
        const std::string prefix = std::string(column.oid) + ".";
        const char* const columns[] = {column.oid};
        const WalkOutcome walk =
            walker.walk("classCounters", columns, singleColumnRepetitions,
                        [&](Row row) { storeClassCounterRow(table, row, prefix, column.kind); });
        stage.rows += walk.rows;
        stage.failure = walk.failure;
        if (stage.failed()) {
            break;
        }
    }
    debugPrint("Finished class counter collection\n\n");
    return stage;
}
