// cbQosCMStatsTable: the counters of every class. The text report lists pre-policy and dropped
// packets; the documents carry every counter a router gives.
#include "collect/stages.h"

namespace {

using Kind = ClassCounters::Kind;

constexpr ClassStatisticsWalk listedWalks[] = {
    {classPacketWalk, {ClassCounters::prePolicyPackets, ClassCounters::droppedPackets}, false},
    {classPacket64Walk, {ClassCounters::prePolicyPackets, ClassCounters::droppedPackets}, true},
};

// One column a request carries as many bindings as the other walks' two columns by four.
constexpr StageWalk counterWalk(const ColumnOid& column) {
    return {"classCounters", std::span(&column, 1), 8, 10, true};
}

// Walked in this order: a 64-bit packet counter replaces the 32-bit one walked before it.
constexpr StageWalk counterWalks[] = {
    counterWalk(cbQosCMPrePolicyPkt),      counterWalk(cbQosCMDropPkt),
    counterWalk(cbQosCMPrePolicyPkt64),    counterWalk(cbQosCMPrePolicyByte64),
    counterWalk(cbQosCMPrePolicyBitRate),  counterWalk(cbQosCMPostPolicyByte64),
    counterWalk(cbQosCMPostPolicyBitRate), counterWalk(cbQosCMDropPkt64),
    counterWalk(cbQosCMDropByte64),        counterWalk(cbQosCMDropBitRate),
    counterWalk(cbQosCMNoBufDropPkt64),
};
constexpr ClassStatisticsWalk documentedWalks[] = {
    {counterWalks[0], {ClassCounters::prePolicyPackets}, true},
    {counterWalks[1], {ClassCounters::droppedPackets}, true},
    {counterWalks[2], {ClassCounters::prePolicyPackets}, true},
    {counterWalks[3], {ClassCounters::prePolicyBytes}, true},
    {counterWalks[4], {ClassCounters::prePolicyBitRate}, true},
    {counterWalks[5], {ClassCounters::postPolicyBytes}, true},
    {counterWalks[6], {ClassCounters::postPolicyBitRate}, true},
    {counterWalks[7], {ClassCounters::droppedPackets}, true},
    {counterWalks[8], {ClassCounters::droppedBytes}, true},
    {counterWalks[9], {ClassCounters::dropBitRate}, true},
    {counterWalks[10], {ClassCounters::noBufferDroppedPackets}, true},
};

}  // namespace

std::span<const ClassStatisticsWalk> listedClassStatistics(bool highCapacity) {
    return std::span(&listedWalks[highCapacity ? 1 : 0], 1);
}

std::span<const ClassStatisticsWalk> documentedClassStatistics() {
    return documentedWalks;
}

void storeClassStatisticsRow(QosObjectTable& table, Row row, const ClassStatisticsWalk& walk) {
    const std::span<const oid> name = row[0]->name();
    const size_t indexAt = walk.walk.columns.front().size();
    if (name.size() < indexAt + 2) {
        return;
    }
    QosObjectRecord* record =
        table.findByPolicyObject(subidAt(name, indexAt), subidAt(name, indexAt + 1));
    if (record != nullptr) {
        setClassCounters(record->counters, row, walk);
    }
}

void setClassCounters(ClassCounters& counters, Row row, const ClassStatisticsWalk& walk) {
    for (size_t k = 0; k < row.size(); ++k) {
        counters.set(walk.kinds[k], walk.wholeCounters ? row[k]->wholeNumber() : row[k]->number());
    }
}

WalkOutcome collectClassStatistics(ColumnWalker& walker, QosObjectTable& table,
                                   std::span<const ClassStatisticsWalk> walks) {
    // The text report's debug lines name its one walk as it always has.
    const char* what = walks.size() == 1 ? "queue stats" : "class counter";
    walker.context().debug("Starting %s collection\n", what);
    WalkOutcome stage;
    for (const ClassStatisticsWalk& walk : walks) {
        const WalkOutcome outcome =
            walker.walk(walk.walk, [&](Row row) { storeClassStatisticsRow(table, row, walk); });
        stage.rows += outcome.rows;
        stage.failure = outcome.failure;
        if (stage.failed()) {
            break;
        }
    }
    walker.context().debug("Finished %s collection\n\n", what);
    return stage;
}
