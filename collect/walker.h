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

class ColumnWalker {
  public:
    ColumnWalker(RunContext& context, SnmpSession& session, bool fast)
        : context_(context), session_(session), fast_(fast) {}

    RunContext& context() { return context_; }
    SnmpSession& session() { return session_; }

    // Walks `walk`'s columns to the end of the first one, handing every row to `handler` in
    // table order and showing the failure line of a walk that fails. The default run walks
    // now; -fast hands over the rows of the planned walk, or makes the walk there and then.
    WalkOutcome walk(const StageWalk& walk, const RowHandler& handler);

    // -fast: makes the planned walks now, side by side. A table walked by policy is split at
    // some of these policy indices into ranges of about equal shares of them; its first range
    // starts at the table's start, so rows of policies missing here are walked too. A later
    // call makes its own walks, a second wave, and adds them to the plan.
    void prefetch(std::span<const StageWalk* const> plan, std::vector<uint32_t> policies);
    // Whether every planned walk has been handed to its stage.
    bool planUsed() const { return prefetched_.empty(); }

  private:
    struct Prefetched {
        const StageWalk* walk;
        std::vector<RangeWalk> ranges;
    };
    WalkOutcome handOver(std::vector<RangeWalk>& ranges, const RowHandler& handler);

    RunContext& context_;
    SnmpSession& session_;
    bool fast_;
    std::vector<Prefetched> prefetched_;
};
