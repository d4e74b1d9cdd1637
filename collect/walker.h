// How the stages walk their columns: request by request as each stage comes (the default
// run), or with -fast from walks made beforehand, larger requests several at once. Either way a
// stage gets the same rows in the same order and its failure line at its own place.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "collect/column_walk.h"
#include "collect/fast_walk.h"

class SnmpSession;

// A walk a -fast run makes before its stage asks for it.
struct PlannedWalk {
    std::span<const char* const> columns;
    uint32_t valueBytes;  // a typical value of these columns, encoded: it sizes the requests
    bool byPolicy;        // the table's first index is the policy index: walked in ranges
};

class ColumnWalker {
  public:
    ColumnWalker(SnmpSession& target, bool fast) : target_(target), fast_(fast) {}

    SnmpSession& target() { return target_; }

    // Walks `columns` to the end of the first one, handing every row to `handler` in table
    // order and printing the failure line of a walk that fails. The default run asks for
    // `maxRepetitions` rows a request; -fast hands over the rows of a planned walk, or makes
    // the walk there and then.
    // `stage` names the walk on the progress line.
    WalkOutcome walk(const char* stage, std::span<const char* const> columns, long maxRepetitions,
                     const RowHandler& handler);

    // -fast: makes the planned walks now, side by side. A table walked by policy is split at
    // some of these policy indices into ranges of about equal shares of them; its first range
    // starts at the table's start, so rows of policies missing here are walked too.
    void prefetch(std::span<const PlannedWalk> plan, std::vector<uint32_t> policies);

  private:
    struct Prefetched {
        const char* firstColumn;
        std::vector<FastWalk> ranges;
    };
    WalkOutcome handOver(std::vector<FastWalk>& ranges, const RowHandler& handler);

    SnmpSession& target_;
    bool fast_;
    std::vector<Prefetched> prefetched_;
};

// The walks of the stages after the service policies, in run order, for prefetch(): the text
// report's, or with `documents` the documents'.
std::vector<PlannedWalk> laterStageWalks(bool highCapacity, bool documents);
