// The two kinds of run, each a fixed order of stages on one session: the text report's, and
// the documents' (JSON or Prometheus metrics), which read more columns. Each hands back the
// run's result and writes to no stream; what it shows while it goes on reaches the context.
#pragma once

#include "collect/run_context.h"
#include "collect/run_result.h"
#include "snmp/session.h"

struct CollectOptions {
    bool fast = false;          // -fast: larger requests, several in flight
    bool highCapacity = false;  // the text report's 64-bit class counters
};

RunResult collectForTextReport(RunContext& context, const SnmpSettings& settings,
                               const CollectOptions& options);
RunResult collectForDocuments(RunContext& context, const SnmpSettings& settings,
                              const CollectOptions& options);
