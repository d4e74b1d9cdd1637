// The one rule by which the exporter's probes and the watch read a router: the tree once, the
// class counters again and again, and the tree walked again when the configuration changed.
#pragma once

#include <memory>

#include "collect/tree_snapshot.h"

// Reads the counters of the tree's classes and actions: first a walk of one counter column,
// which shows whether the router's classes are still the tree's and gives that column's values,
// then the GETs of the other columns. `forRates`: sysUpTime.0 too, and every column of a class
// from one response, since rates divide by the time between responses. A change found by the
// walk ends the poll before its GETs.
CounterPoll pollCounters(RunContext& context, SnmpSession& session, const TreeSnapshot& tree,
                         bool forRates);

struct TreePolling {
    bool fast = false;            // the tree's walk with -fast
    bool actionCounters = false;  // ... with the actions' counter stage
    // For rates (the watch): the counters read together with sysUpTime.0 in a short poll, even
    // right after a walk, whose reads are spread over its whole length.
    bool forRates = false;
};

struct FollowedPoll {
    std::shared_ptr<const TreeSnapshot> tree;  // the tree the poll read
    CounterPoll poll;
    // The documents result of the walk whose counters are the poll's, when the tree was walked
    // and not polled after.
    std::optional<RunResult> walkedDocuments;
    bool treeWalked = false;  // the tree was walked by this call
    bool configurationChanged =
        false;  // ... because a poll of the tree it was given found a change
    // The poll still found a change: the next call must walk the tree again.
    bool treeStale() const { return poll.configurationChanged; }
};

// One poll by the rule: walks the tree when `tree` is null; polls its counters; when that
// finds a change, walks the tree again. The counters of a walk serve as the poll's, except for
// rates.
FollowedPoll pollFollowingTree(RunContext& context, SnmpSession& session,
                               std::shared_ptr<const TreeSnapshot> tree,
                               const TreePolling& polling);

// The documents' result of the tree and a poll of it: what a documents run of the same router
// gives, the poll's failure as the counter stages'.
RunResult documentsResult(const TreeSnapshot& tree, const CounterPoll& poll);
