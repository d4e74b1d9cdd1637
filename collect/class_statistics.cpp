// cbQosCMStatsTable: the counters of every class. The text report lists pre-policy and dropped
// packets; the documents carry every counter a router gives.
#include "collect/field_table.h"
#include "collect/stages.h"

namespace {

constexpr ClassStatisticsWalk listedWalks[] = {
    {classPacketWalk, {ClassCounters::prePolicyPackets, ClassCounters::droppedPackets}, false},
    {classPacket64Walk, {ClassCounters::prePolicyPackets, ClassCounters::droppedPackets}, true},
};

constexpr char classCounters[] = "classCounters";

// Fields in the order of ClassCounters::Kind. The 64-bit bit rates are for links past 4.29
// Gbit/s, where the 32-bit ones saturate.
constexpr TableField documentedFields[] = {
    {"prePolicyPackets", {{{3}, {1, 2}, {2}}}},
    {"prePolicyBytes", {{{6}, {4, 5}, {5}}}},
    {"prePolicyBitRate", {{{28}, {7}}}},
    {"postPolicyBytes", {{{10}, {8, 9}, {9}}}},
    {"postPolicyBitRate", {{{29}, {11}}}},
    {"droppedPackets", {{{14}, {12, 13}, {13}}}},
    {"droppedBytes", {{{17}, {15, 16}, {16}}}},
    {"dropBitRate", {{{30}, {18}}}},
    {"noBufferDroppedPackets", {{{21}, {19, 20}, {20}}}},
};
static_assert(std::size(documentedFields) == ClassCounters::kindCount);
constexpr FieldTable documentedTable{
    RowIndex::policyObject, documentedFields,
    tableWalks<cbQosCMStatsTable, classCounters, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15,
               16, 17, 18, 19, 20, 21, 28, 29, 30>};

}  // namespace

std::span<const ClassStatisticsWalk> listedClassStatistics(bool highCapacity) {
    return std::span(&listedWalks[highCapacity ? 1 : 0], 1);
}

const FieldTable& classStatisticsTable() {
    return documentedTable;
}

void storeClassStatisticsRow(QosObjectTable& table, Row row, const ClassStatisticsWalk& walk) {
    const std::span<const oid> name = row[0]->name();
    const size_t indexAt = walk.walk.columns.front().size();
    if (name.size() < indexAt + 2) {
        return;
    }
    QosObjectRecord* record =
        table.findByPolicyObject(subidAt(name, indexAt), subidAt(name, indexAt + 1));
    for (size_t k = 0; record != nullptr && k < row.size(); ++k) {
        // Only a Counter64 is read whole; any other value, as every 32-bit count.
        const bool whole = walk.wholeCounters && row[k]->type() == ASN_COUNTER64;
        record->counters.set(walk.kinds[k], whole ? row[k]->wholeNumber() : row[k]->number());
    }
}

WalkOutcome collectClassStatistics(ColumnWalker& walker, QosObjectTable& table,
                                   std::span<const ClassStatisticsWalk> walks) {
    walker.context().debug("Starting queue stats collection\n");
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
    walker.context().debug("Finished queue stats collection\n\n");
    return stage;
}

namespace {

void setCounters(ClassCounters& counters, const FieldValues& fields) {
    for (size_t kind = 0; kind < ClassCounters::kindCount; ++kind) {
        if (fields.has(kind)) {
            counters.set(static_cast<ClassCounters::Kind>(kind), fields.value(kind));
        }
    }
}

}  // namespace

void setDocumentedCounters(ClassCounters& counters, const ColumnValues& row,
                           uint32_t* narrowKinds) {
    setCounters(counters, resolveFields(documentedTable, row, narrowKinds));
}

WalkOutcome collectDocumentedClassStatistics(ColumnWalker& walker, QosObjectTable& table,
                                             TableColumns& read) {
    walker.context().debug("Starting class counter collection\n");
    const WalkOutcome outcome = walkTableColumns(walker, documentedTable, read);
    for (const auto& [key, columns] : read) {
        if (QosObjectRecord* record = table.findByPolicyObject(
                static_cast<uint32_t>(key.first >> 32), static_cast<uint32_t>(key.first))) {
            setDocumentedCounters(record->counters, columns);
        }
    }
    walker.context().debug("Finished class counter collection\n\n");
    return outcome;
}
