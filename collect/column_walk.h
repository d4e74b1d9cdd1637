// The GETBULK column walk every collection stage runs: a few columns of one table, one row per
// group of bindings, each request starting after the last complete group.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "collect/columns.h"
#include "collect/run_context.h"
#include "collect/stage_walks.h"
#include "snmp/exchanges.h"
#include "snmp/request.h"
#include "snmp/session.h"

// One row: the group's bindings in column order.
using Row = std::span<ResponseBinding* const>;
using RowHandler = std::function<void(Row row)>;

// The positions of one walk and the rules by which a response moves them on.
class ColumnCursor {
  public:
    static constexpr size_t maxColumns = 3;
    // The longest OID, as dotted text, a walk follows.
    static constexpr size_t maxOidText = 999;

    explicit ColumnCursor(std::span<const ColumnOid> columns);

    // A walk of the rows whose first index is `first` or more.
    void startAt(uint32_t first);
    // A walk of the rows whose first index is below `bound`: a group whose first OID reaches
    // the first column's row `bound` ends it, handed to no handler, before any other test.
    void endBefore(uint32_t bound);
    bool reachedBound() const { return reachedBound_; }

    // Adds one null binding per column: the successors of where the walk stands.
    void addRequestBindings(SnmpRequest& request) const;

    // Hands each complete group of a good response to `handler`, in order. Returns false when
    // the walk has ended: a group left the first column, its first binding holds an exception
    // value, its first OID does not advance past the previous one, an OID is too long to
    // follow, or the response holds no complete group. Debug lines go to `context`.
    bool takeGroups(SnmpResponse& response, const RowHandler& handler, const RunContext& context);

  private:
    std::vector<std::vector<oid>> positions_;  // each column's last OID
    size_t prefixLength_;                      // the first column's OID: every row's prefix
    std::vector<oid> bound_;                   // empty: none
    bool reachedBound_ = false;
};

struct WalkOutcome {
    uint32_t rows = 0;    // groups handed to the row handler
    std::string failure;  // the failure line, without its line end: no answer, or an error-status
    bool failed() const { return !failure.empty(); }
};

// The failure line of an exchange that got no response (null) or one with an error-status.
std::string failureLine(const std::string& agentName, const SnmpResponse* response);
// The failure line of every stage a run did not finish because it had to stop.
std::string stoppedLine(const StopCondition& stop);
// A stage's failure line. A stage left with nothing to ask (an earlier one broke off) sends no
// request that could see the run's stop: once the run has to stop, it did not finish either.
std::string stageFailure(const RunContext& context, const std::string& failure);

// Exchanges one request with the run's time-out and retries. Null when it failed: `failure`
// then holds the failure line, shown through the context.
std::unique_ptr<SnmpResponse> exchange(RunContext& context, SnmpSession& session,
                                       SnmpRequest& request, std::string& failure);

// The default run's walk, one request at a time, to the end of the first column.
WalkOutcome walkColumns(RunContext& context, SnmpSession& session, const StageWalk& walk,
                        const RowHandler& handler);

// Sub-identifiers as one number each.
uint32_t subidAt(std::span<const oid> name, size_t position);
