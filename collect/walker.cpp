#include "collect/walker.h"

#include <algorithm>

namespace {

// Enough ranges that the walks of the biggest table still fill the requests in flight until
// near its end.
constexpr size_t rangesPerTable = 16;

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

void ColumnWalker::prefetch(std::span<const StageWalk* const> plan,
                            std::vector<uint32_t> policies) {
    const std::vector<uint32_t> starts = rangeStarts(std::move(policies));
    const size_t firstPlanned = prefetched_.size();
    for (const StageWalk* planned : plan) {
        Prefetched& walks = prefetched_.emplace_back(Prefetched{planned, {}});
        if (!planned->byPolicy || starts.empty()) {
            walks.ranges.emplace_back(*planned);
            continue;
        }
        walks.ranges.emplace_back(*planned, std::nullopt, starts[0]);
        for (size_t i = 0; i < starts.size(); ++i) {
            walks.ranges.emplace_back(
                *planned, starts[i],
                i + 1 < starts.size() ? std::optional(starts[i + 1]) : std::nullopt);
        }
    }
    std::vector<RangeWalk*> all;
    for (size_t p = firstPlanned; p < prefetched_.size(); ++p) {
        std::vector<RangeWalk>& ranges = prefetched_[p].ranges;
        for (size_t i = 0; i < ranges.size(); ++i) {
            ranges[i].setNextRange(i + 1 < ranges.size() ? &ranges[i + 1] : nullptr);
            all.push_back(&ranges[i]);
        }
    }
    runRangeWalks(context_, session_, all, "later stages");
}

WalkOutcome ColumnWalker::walk(const StageWalk& walk, const RowHandler& handler) {
    if (!fast_) {
        return walkColumns(context_, session_, walk, handler);
    }
    const auto planned = std::find_if(prefetched_.begin(), prefetched_.end(),
                                      [&](const Prefetched& p) { return p.walk == &walk; });
    if (planned != prefetched_.end()) {
        std::vector<RangeWalk> ranges = std::move(planned->ranges);
        prefetched_.erase(planned);
        return handOver(ranges, handler);
    }
    std::vector<RangeWalk> alone;
    RangeWalk* fastWalk = &alone.emplace_back(walk);
    runRangeWalks(context_, session_, std::span(&fastWalk, 1), walk.stage);
    return handOver(alone, handler);
}

WalkOutcome ColumnWalker::handOver(std::vector<RangeWalk>& ranges, const RowHandler& handler) {
    WalkOutcome outcome;
    for (RangeWalk& range : ranges) {
        outcome.rows += range.rows().handOver(handler);
        if (range.end() == RangeWalk::End::bound) {
            continue;
        }
        // Where the default walk would have ended: the later ranges' rows are not the table's.
        if (range.end() == RangeWalk::End::failure) {
            context_.failure(range.failure());
            outcome.failure = range.failure();
        }
        break;
    }
    return outcome;
}
