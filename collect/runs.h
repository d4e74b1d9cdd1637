// The two kinds of run, each a fixed order of stages on one session: the text report's, and
// the documents' (JSON or Prometheus metrics), which read more columns. Each hands back the
// run's result and writes to no stream; what it shows while it goes on reaches the context.
#pragma once

#include "collect/run_context.h"
#include "collect/run_result.h"
#include "collect/stages.h"
#include "collect/tree_cache.h"
#include "snmp/session.h"

struct CollectOptions {
    bool fast = false;           // -fast: larger requests, several in flight
    bool highCapacity = false;   // the text report's 64-bit class counters
    bool actionCounters = true;  // the documents' action counter stage
};

RunResult collectForTextReport(RunContext& context, const SnmpSettings& settings,
                               const CollectOptions& options);
RunResult collectForDocuments(RunContext& context, const SnmpSettings& settings,
                              const CollectOptions& options);
// The documents' run through the configuration cache (the exporter's probe): the tree kept under
// `key` while younger than `maxAge` (0: nothing kept), else walked and kept when every stage
// ran to its end; the counters polled by the rule of collect/counter_poll.h; the entry dropped
// when a poll finds the configuration changed; the actions' counters with
// `options.actionCounters`. Gives what collectForDocuments
// gives; `treeFromCache` says whether the tree came from the cache.
RunResult collectThroughCache(RunContext& context, const SnmpSettings& settings, TreeCache& cache,
                              const std::string& key, TreeCache::Clock::duration maxAge,
                              const CollectOptions& options, bool& treeFromCache);

// The columns each statistics row gave a documents run: the rows and columns the counter polls
// ask for again (collect/tree_snapshot.h).
struct CounterColumns {
    TableColumns classes;
    std::vector<TableColumns> actions;  // at the positions of actionTables()
};

// The documents' stages in their order on an open session, into `result`, the action counter
// stage only with `actionCounters`.
void collectDocumentStages(RunContext& context, SnmpSession& session, bool fast,
                           bool actionCounters, RunResult& result, CounterColumns& columns);
