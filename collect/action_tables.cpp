#include "collect/action_tables.h"

#include <algorithm>

#include <bitset>

#include "collect/walker.h"

namespace {

constexpr char configs[] = "actionConfigs";
constexpr char counters[] = "actionCounters";

using Kind = ValueKind;

// cbQosPoliceCfgTable
constexpr TableField policeConfig[] = {
    {"rateBitsPerSecond", {{{11}, {1}}}},
    {"burstBytes", {{{25}, {2}}}},
    {"extendedBurstBytes", {{{26}, {3}}}},
    {"peakRateBitsPerSecond", {{{27}, {10}}}},
    {"rateType", {{{12}}}, Kind::rateType},
    {"ratePercent", {{{13}}}, Kind::number, true},
    {"peakRatePercent", {{{14}}}, Kind::number, true},
};
// cbQosPoliceStatsTable
constexpr TableField policeCounters[] = {
    {"conformedPackets", {{{3}, {1, 2}, {2}}}},    {"conformedBytes", {{{6}, {4, 5}, {5}}}},
    {"conformedBitRate", {{{22}, {7}}}},           {"exceededPackets", {{{10}, {8, 9}, {9}}}},
    {"exceededBytes", {{{13}, {11, 12}, {12}}}},   {"exceededBitRate", {{{23}, {14}}}},
    {"violatedPackets", {{{17}, {15, 16}, {16}}}}, {"violatedBytes", {{{20}, {18, 19}, {19}}}},
    {"violatedBitRate", {{{24}, {21}}}},
};
// cbQosQueueingCfgTable
constexpr TableField queueingConfig[] = {
    {"bandwidth", {{{13}, {1}}}},       {"bandwidthUnits", {{{2}}}, Kind::bandwidthUnits},
    {"priority", {{{4}}}, Kind::truth}, {"priorityLevel", {{{12}}}},
    {"queueLimit", {{{10}}}},           {"queueLimitUnits", {{{9}}}, Kind::queueLimitUnits},
};
// cbQosQueueingStatsTable
constexpr TableField queueingCounters[] = {
    {"currentDepthBytes", {{{1}}}},           {"maxDepthBytes", {{{2}}}},
    {"currentDepthPackets", {{{9}}}},         {"maxDepthPackets", {{{10}}}},
    {"discardedBytes", {{{5}, {3, 4}, {4}}}}, {"discardedPackets", {{{8}, {6, 7}, {7}}}},
    {"transmittedBytes", {{{11}}}},           {"transmittedPackets", {{{12}}}},
};
// cbQosTSCfgTable
constexpr TableField shapingConfig[] = {
    {"rateBitsPerSecond", {{{11}, {1}}}},  {"burstBits", {{{12}, {2}}}},
    {"extendedBurstBits", {{{13}, {3}}}},  {"limitType", {{{6}}}, Kind::limitType},
    {"rateType", {{{7}}}, Kind::rateType}, {"ratePercent", {{{8}}}, Kind::number, true},
};
// cbQosTSStatsTable
constexpr TableField shapingCounters[] = {
    {"delayedBytes", {{{3}, {1, 2}, {2}}}}, {"delayedPackets", {{{6}, {4, 5}, {5}}}},
    {"droppedBytes", {{{9}, {7, 8}, {8}}}}, {"droppedPackets", {{{12}, {10, 11}, {11}}}},
    {"active", {{{13}}}, Kind::truth},      {"queueSizePackets", {{{14}}}},
};
// cbQosREDCfgTable, and cbQosREDClassCfgTable per value
constexpr TableField redConfig[] = {
    {"mechanism", {{{3}}}, Kind::redMechanism},
    {"ecn", {{{4}}}, Kind::truth},
};
constexpr TableField redThresholds[] = {
    {"minThreshold", {{{6}}}},
    {"maxThreshold", {{{7}}}},
    {"minThresholdUnits", {{{11}}}, Kind::queueLimitUnits},
    {"maxThresholdUnits", {{{10}}}, Kind::queueLimitUnits},
    {"dropProbabilityDenominator", {{{4}}}},
};
// cbQosREDClassStatsTable, per value
constexpr TableField redCounters[] = {
    {"randomDroppedPackets", {{{3}, {1, 2}, {2}}}},
    {"randomDroppedBytes", {{{6}, {4, 5}, {5}}}},
    {"tailDroppedPackets", {{{9}, {7, 8}, {8}}}},
    {"tailDroppedBytes", {{{12}, {10, 11}, {11}}}},
    {"transmittedPackets", {{{15}, {13, 14}, {14}}}},
    {"transmittedBytes", {{{18}, {16, 17}, {17}}}},
    {"ecnMarkedPackets", {{{21}, {19, 20}, {20}}}},
    {"ecnMarkedBytes", {{{24}, {22, 23}, {23}}}},
};
// cbQosSetStatsTable: packets marked, by the field the action sets
constexpr TableField setCounters[] = {
    {"dscpPackets", {{{1}}}},
    {"precedencePackets", {{{2}}}},
    {"qosGroupPackets", {{{3}}}},
    {"frDePackets", {{{4}}}},
    {"atmClpPackets", {{{5}}}},
    {"l2CosPackets", {{{6}}}},
    {"mplsExpImpositionPackets", {{{7}}}},
    {"discardClassPackets", {{{8}}}},
    {"mplsExpTopMostPackets", {{{9}}}},
    {"srpPriorityPackets", {{{10}}}},
    {"frFecnBecnPackets", {{{11}}}},
    {"dscpTunnelPackets", {{{12}}}},
    {"precedenceTunnelPackets", {{{13}}}},
};

constexpr ActionTable tables[] = {
    {policeType,
     ActionStage::configs,
     {RowIndex::config, policeConfig,
      tableWalks<cbQosPoliceCfgTable, configs, 1, 2, 3, 10, 11, 12, 13, 14, 25, 26, 27>, 4},
     {}},
    {policeType,
     ActionStage::counters,
     {RowIndex::policyObject, policeCounters,
      tableWalks<cbQosPoliceStatsTable, counters, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15,
                 16, 17, 18, 19, 20, 21, 22, 23, 24>},
     {}},
    {queueingType,
     ActionStage::configs,
     {RowIndex::config, queueingConfig,
      tableWalks<cbQosQueueingCfgTable, configs, 1, 2, 4, 9, 10, 12, 13>},
     {}},
    {trafficShapingType,
     ActionStage::configs,
     {RowIndex::config, shapingConfig,
      tableWalks<cbQosTSCfgTable, configs, 1, 2, 3, 6, 7, 8, 11, 12, 13>, 4},
     {}},
    {queueingType,
     ActionStage::counters,
     {RowIndex::policyObject, queueingCounters,
      tableWalks<cbQosQueueingStatsTable, counters, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12>},
     {}},
    {trafficShapingType,
     ActionStage::counters,
     {RowIndex::policyObject, shapingCounters,
      tableWalks<cbQosTSStatsTable, counters, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14>},
     {}},
    {randomDetectType,
     ActionStage::configs,
     {RowIndex::config, redConfig, tableWalks<cbQosREDCfgTable, configs, 3, 4>},
     {}},
    {randomDetectType,
     ActionStage::configs,
     {RowIndex::configValue, redThresholds,
      tableWalks<cbQosREDClassCfgTable, configs, 4, 6, 7, 10, 11>},
     "thresholds"},
    {randomDetectType,
     ActionStage::counters,
     {RowIndex::policyObjectValue, redCounters,
      tableWalks<cbQosREDClassStatsTable, counters, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14,
                 15, 16, 17, 18, 19, 20, 21, 22, 23, 24>},
     "byValue"},
    {setType,
     ActionStage::counters,
     {RowIndex::policyObject, setCounters,
      tableWalks<cbQosSetStatsTable, counters, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13>},
     {}},
};
constexpr bool at(size_t position, uint32_t type, ActionStage stage) {
    return tables[position].objectType == type && tables[position].stage == stage;
}
static_assert(at(action_table::policeConfig, policeType, ActionStage::configs) &&
              at(action_table::policeCounters, policeType, ActionStage::counters) &&
              at(action_table::queueingConfig, queueingType, ActionStage::configs) &&
              at(action_table::shapingConfig, trafficShapingType, ActionStage::configs) &&
              at(action_table::queueingCounters, queueingType, ActionStage::counters) &&
              at(action_table::shapingCounters, trafficShapingType, ActionStage::counters) &&
              at(action_table::redConfig, randomDetectType, ActionStage::configs) &&
              at(action_table::redThresholds, randomDetectType, ActionStage::configs) &&
              at(action_table::redCounters, randomDetectType, ActionStage::counters) &&
              at(action_table::setCounters, setType, ActionStage::counters));

// The object types in the table, as a set of codes.
std::bitset<32> typesIn(const QosObjectTable& table) {
    std::bitset<32> types;
    for (uint32_t i = 0; i < table.recordCount(); ++i) {
        if (const uint32_t type = table.record(i).objectType; type < types.size()) {
            types.set(type);
        }
    }
    return types;
}

}  // namespace

std::span<const ActionTable> actionTables() {
    return tables;
}

ActionRowRange actionRowsOf(const std::vector<TableRows>& rows, size_t t,
                            const QosObjectRecord& action) {
    if (t >= rows.size()) {
        return {};
    }
    const RowIndex index = tables[t].table.index;
    const bool byConfig = index == RowIndex::config || index == RowIndex::configValue;
    return rowsOf(rows[t], byConfig ? action.configIndex
                                    : policyObjectKey(action.policyIndex, action.objectIndex));
}

std::vector<const StageWalk*> actionTableWalks(const QosObjectTable& table,
                                               std::initializer_list<ActionStage> stages) {
    const std::bitset<32> types = typesIn(table);
    std::vector<const StageWalk*> walks;
    for (const ActionTable& action : tables) {
        if (types.test(action.objectType) &&
            std::find(stages.begin(), stages.end(), action.stage) != stages.end()) {
            for (const StageWalk& walk : action.table.walks) {
                walks.push_back(&walk);
            }
        }
    }
    return walks;
}

WalkOutcome collectActionTables(ColumnWalker& walker, const QosObjectTable& table,
                                ActionStage stage, std::vector<TableRows>& rows,
                                std::vector<TableColumns>& read) {
    const char* what = stage == ActionStage::configs ? "action configuration" : "action counter";
    walker.context().debug("Starting %s collection\n", what);
    const std::bitset<32> types = typesIn(table);
    rows.resize(std::size(tables));
    read.resize(std::size(tables));
    WalkOutcome outcome;
    for (size_t t = 0; t < std::size(tables) && !outcome.failed(); ++t) {
        if (tables[t].stage == stage && types.test(tables[t].objectType)) {
            const WalkOutcome walked = collectTableRows(walker, tables[t].table, rows[t], read[t]);
            outcome.rows += walked.rows;
            outcome.failure = walked.failure;
        }
    }
    walker.context().debug("Finished %s collection\n\n", what);
    return outcome;
}
