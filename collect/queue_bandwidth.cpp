#include "collect/queue_bandwidth.h"

#include <limits>
#include <optional>

#include "collect/action_tables.h"

namespace {

// QueueingBandwidthUnits
constexpr uint64_t kbps = 1;
// How many units of a share make the whole reference rate; none for the units that are no
// share of it (percentageRemaining, ratioRemaining) and codes we do not know.
std::optional<uint64_t> unitsPerWhole(uint64_t units) {
    switch (units) {
        case 2:  // percentage
            return 100;
        case 5:  // perThousand
            return 1'000;
        case 6:  // perMillion
            return 1'000'000;
        default:
            return std::nullopt;
    }
}

const FieldValues* configOf(const RunResult& result, size_t table, uint32_t configIndex) {
    const TableRows& rows = result.actionRows[table];
    const auto row = rows.find({configIndex, 0});
    return row == rows.end() ? nullptr : &row->second;
}

// The rate a share of the queue's bandwidth is taken from: the shaper of the class its policy
// is nested in, or the speed of the interface its policy is attached to.
std::optional<uint64_t> referenceRate(const RunResult& result, const QosObjectRecord& queue) {
    const QosObjectTable& table = result.table;
    const uint32_t policy = queue.policyIndex;
    // The record of this policy with that object index and type; null if there is none.
    const auto find = [&](uint32_t objectIndex, uint32_t type) -> const QosObjectRecord* {
        const uint32_t index = table.indexOf(policy, objectIndex);
        return index != QosObjectTable::none && table.record(index).objectType == type
                   ? &table.record(index)
                   : nullptr;
    };
    const QosObjectRecord* owner = find(queue.parentObject, classMapType);
    const QosObjectRecord* policyMap =
        owner != nullptr ? find(owner->parentObject, policyMapType) : nullptr;
    if (policyMap == nullptr) {
        return std::nullopt;
    }
    if (policyMap->parentObject == 0) {
        for (const ServicePolicy& attached : result.servicePolicies) {
            if (attached.policyIndex == policy) {
                return attached.speedBitsPerSecond;
            }
        }
        return std::nullopt;
    }
    const uint32_t enclosing = table.indexOf(policy, policyMap->parentObject);
    if (find(policyMap->parentObject, classMapType) == nullptr) {
        return std::nullopt;
    }
    for (uint32_t child = table.firstChild(enclosing); child != QosObjectTable::none;
         child = table.nextSibling(child)) {
        if (table.record(child).objectType == trafficShapingType) {
            const FieldValues* shaper =
                configOf(result, action_table::shapingConfig, table.record(child).configIndex);
            if (shaper != nullptr && shaper->has(shapingRateField)) {
                return shaper->value(shapingRateField);
            }
        }
    }
    return std::nullopt;
}

}  // namespace

void deriveQueueBandwidths(RunResult& result) {
    const QosObjectTable& table = result.table;
    for (uint32_t i = 0; i < table.recordCount(); ++i) {
        const QosObjectRecord& queue = table.record(i);
        if (queue.objectType != queueingType) {
            continue;
        }
        const FieldValues* config =
            configOf(result, action_table::queueingConfig, queue.configIndex);
        if (config == nullptr || !config->has(queueBandwidthField) ||
            !config->has(queueBandwidthUnitsField)) {
            continue;
        }
        const uint64_t units = config->value(queueBandwidthUnitsField);
        // Wide enough for any bandwidth times any rate.
        const unsigned __int128 bandwidth = config->value(queueBandwidthField);
        std::optional<unsigned __int128> bits;
        if (units == kbps) {
            bits = bandwidth * 1000;
        } else if (const std::optional<uint64_t> whole = unitsPerWhole(units)) {
            if (const std::optional<uint64_t> reference = referenceRate(result, queue)) {
                bits = bandwidth * *reference / *whole;  // rounded down
            }
        }
        if (bits) {
            result.queueBandwidths[policyObjectKey(queue.policyIndex, queue.objectIndex)] =
                static_cast<uint64_t>(
                    std::min<unsigned __int128>(*bits, std::numeric_limits<uint64_t>::max()));
        }
    }
}
