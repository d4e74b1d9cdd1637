// The GETBULK column walk every collection stage runs: two or three columns of one table,
// one row per group of bindings, each request starting after the last complete group.
#pragma once

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "snmp/request.h"

class SnmpSession;

// The request id of the next request; ids run on across the stages of a run.
extern uint32_t requestCounter;
// Whether a failed exchange prints its failure line on standard output (the text report), or
// only hands it back (the documents, which keep standard output to themselves).
extern bool printWalkFailures;

// What every request of a run waits for an answer, and how often it is sent again.
constexpr long exchangeTimeoutMicroseconds = 5'000'000;
constexpr int exchangeRetries = 2;

// One row: the group's bindings in column order.
using Row = std::span<ResponseBinding* const>;
using RowHandler = std::function<void(Row row)>;

// The walk buffers of one walk and the rules by which a response moves them on.
class ColumnWalk {
  public:
    static constexpr size_t maxColumns = 3;
    // The longest OID text a walk buffer holds.
    static constexpr size_t maxOidText = 999;

    // `columns` are dotted column OIDs; the first one, followed by a dot, is the prefix every
    // row's first OID must start with.
    explicit ColumnWalk(std::span<const char* const> columns);

    // A walk of the rows whose first index is `first` or more: the buffers start at that index.
    void startAt(uint32_t first);
    // A walk of the rows whose first index is below `bound`: a group whose first OID reaches
    // the first column's row `bound` ends it, handed to no handler, before any other test.
    void endBefore(uint32_t bound);
    bool reachedBound() const { return reachedBound_; }

    // Adds one null binding per column: the successors of what the buffers hold.
    void addRequestBindings(SnmpRequest& request) const;

    // Hands each complete group of a good response to `handler`, in order. Returns false when
    // the walk has ended: a group left the first column, its first binding holds an exception
    // value, its first OID does not advance past the previous one, an OID text does not fit
    // a buffer, or the response holds no complete group.
    bool takeGroups(SnmpResponse& response, const RowHandler& handler);

    const std::string& buffer(size_t column) const { return columns_[column].text; }

  private:
    struct Column {
        std::string text;       // the walk buffer
        std::vector<oid> name;  // the same OID, as sent in the next request
    };
    bool advances(std::span<const oid> first) const;

    std::vector<Column> columns_;
    std::string prefix_;
    std::vector<oid> bound_;  // empty: none
    bool reachedBound_ = false;
};

struct WalkOutcome {
    uint32_t rows = 0;    // groups handed to the row handler
    std::string failure;  // the failure line, without its line end: no answer, or an error-status
    bool failed() const { return !failure.empty(); }
};

// The failure line of an exchange that got no response (null) or one with an error-status.
std::string failureLine(const SnmpSession& target, const SnmpResponse* response);
// Prints a failure line on standard output, unless the documents keep it to themselves.
void printWalkFailure(const std::string& failure);

// Exchanges one request with the run's time-out and retries. Null when it failed: `failure`
// then holds the failure line.
std::unique_ptr<SnmpResponse> exchange(SnmpRequest& request, SnmpSession& target,
                                       std::string& failure);

// Runs the walk to its end on the target's session, printing the failure lines. `stage` names
// the walk on the progress line.
WalkOutcome bulkColumnWalk(SnmpSession& target, const char* stage,
                           std::span<const char* const> columns, long maxRepetitions,
                           const RowHandler& handler);
