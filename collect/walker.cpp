#include "collect/walker.h"

#include <algorithm>
#include <string_view>

#include "collect/columns.h"
#include "collect/stages.h"

namespace {

// Enough ranges that the walks of the biggest table still fill the requests in flight until
// near its end.
constexpr size_t rangesPerTable = 16;
// For a walk nobody planned: small numbers.
constexpr uint32_t unplannedValueBytes = 8;

// The policy indices at which the ranges after the first one start.
std::vector<uint32_t> rangeStarts(std::vector<uint32_t> policies) {
    std::sort(policies.begin(), policies.end());
    policies.erase(std::unique(policies.begin(), policies.end()), policies.end());
    const size_t ranges = std::min(rangesPerTable, policies.size());
    std::vector<uint32_t> starts;
    for (size_t i = 1; i < ranges; ++i) {
        starts.push_back(policies[i * policies.size() / ranges]);
    }
    return starts;
}

}  // namespace

std::vector<PlannedWalk> laterStageWalks(bool highCapacity, bool documents) {
    // A stage that asks for other columns than these (see the stages) still gets its rows: its
    // walk is made when it asks, alone. Value sizes, encoded: configuration indices, types and
    // parents of a few bytes; names and descriptions of about 30 characters, match information
    // shorter; Counter32 and Counter64 values.
    std::vector<PlannedWalk> plan = {
        {policyObjectColumns, 6, true},
        {policyMapColumns, 30, false},
        {classMapColumns, 30, false},
        {matchStatementColumns, 20, false},
    };
    if (documents) {
        planClassCounterWalks(plan);
    } else {
        plan.push_back(
            {highCapacity ? std::span(queueStats64Columns) : std::span(queueStatsColumns),
             highCapacity ? 11U : 7U, true});
    }
    return plan;
}

void ColumnWalker::prefetch(std::span<const PlannedWalk> plan, std::vector<uint32_t> policies) {
    const std::vector<uint32_t> starts = rangeStarts(std::move(policies));
    for (const PlannedWalk& planned : plan) {
        Prefetched& walks = prefetched_.emplace_back(Prefetched{planned.columns.front(), {}});
        if (!planned.byPolicy || starts.empty()) {
            walks.ranges.emplace_back(planned.columns, planned.valueBytes);
            continue;
        }
        walks.ranges.emplace_back(planned.columns, planned.valueBytes, std::nullopt, starts[0]);
        for (size_t i = 0; i < starts.size(); ++i) {
            walks.ranges.emplace_back(
                planned.columns, planned.valueBytes, starts[i],
                i + 1 < starts.size() ? std::optional(starts[i + 1]) : std::nullopt);
        }
    }
    std::vector<FastWalk*> all;
    for (Prefetched& walks : prefetched_) {
        for (size_t i = 0; i < walks.ranges.size(); ++i) {
            walks.ranges[i].setNextRange(i + 1 < walks.ranges.size() ? &walks.ranges[i + 1]
                                                                     : nullptr);
            all.push_back(&walks.ranges[i]);
        }
    }
    runFastWalks(target_, all, "later stages");
}

WalkOutcome ColumnWalker::walk(const char* stage, std::span<const char* const> columns,
                               long maxRepetitions, const RowHandler& handler) {
    if (!fast_) {
        return bulkColumnWalk(target_, stage, columns, maxRepetitions, handler);
    }
    const auto planned = std::find_if(prefetched_.begin(), prefetched_.end(), [&](const auto& p) {
        return std::string_view(p.firstColumn) == columns.front();
    });
    if (planned != prefetched_.end()) {
        std::vector<FastWalk> ranges = std::move(planned->ranges);
        prefetched_.erase(planned);
        return handOver(ranges, handler);
    }
    std::vector<FastWalk> alone;
    FastWalk* walk = &alone.emplace_back(columns, unplannedValueBytes);
    runFastWalks(target_, std::span(&walk, 1), stage);
    return handOver(alone, handler);
}

WalkOutcome ColumnWalker::handOver(std::vector<FastWalk>& ranges, const RowHandler& handler) {
    WalkOutcome outcome;
    for (FastWalk& range : ranges) {
        outcome.rows += range.rows().handOver(handler);
        if (range.end() == FastWalk::End::bound) {
            continue;
        }
        // Where the default walk would have ended: the later ranges' rows are not the table's.
        if (range.end() == FastWalk::End::failure) {
            printWalkFailure(range.failure());
            outcome.failure = range.failure();
        }
        break;
    }
    return outcome;
}
