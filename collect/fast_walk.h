// -fast: column walks with requests sized to fill a response of about 1,400 bytes, several in
// flight at once. Each walk keeps its rows until its stage hands them to its row handler in
// table order; a walk may cover one range of a table's first index.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "collect/column_walk.h"
#include "snmp/kept_bindings.h"

// The rows of one walk, kept until their stage takes them.
class KeptRows {
  public:
    explicit KeptRows(size_t columns) : columns_(columns) {}
    void add(Row row);
    uint64_t count() const { return bindings_.size() / columns_; }
    // Hands every row to `handler` in the order they came, then forgets them; returns how many.
    uint32_t handOver(const RowHandler& handler);

  private:
    size_t columns_;
    KeptBindings bindings_;
};

class RangeWalk {
  public:
    enum class End {
        going,
        bound,      // reached the next range: the walk was whole
        table,      // any end of the default walk short of a failure line
        failure,    // no answer, or an error-status
        cancelled,  // an earlier range of the same table ended short, so these rows go unused
    };

    // The walk of `walk`'s columns, or of its rows whose first index lies in [first, bound).
    RangeWalk(const StageWalk& walk, std::optional<uint32_t> first = {},
              std::optional<uint32_t> bound = {});

    // A walk of the following range, ended unused when this one ends short of its bound.
    void setNextRange(RangeWalk* next) { nextRange_ = next; }

    End end() const { return end_; }
    // The failure line, when the walk ended in a failure.
    const std::string& failure() const { return failure_; }
    KeptRows& rows() { return rows_; }
    const KeptRows& rows() const { return rows_; }

    // Fills the request for the rows that follow what the walk has taken.
    void fillRequest(SnmpRequest& request) const;
    // Takes the response to the last request (null: none came); true when the walk goes on.
    bool take(std::unique_ptr<SnmpResponse> response, RunContext& context,
              const SnmpSession& session);

    // Ends the walk with this failure line, sending nothing more.
    void abandon(std::string failure);

  private:
    void finish(End end);

    ColumnCursor cursor_;
    long maxRepetitions_;
    KeptRows rows_;
    End end_ = End::going;
    std::string failure_;
    RangeWalk* nextRange_ = nullptr;
};

// Runs the walks side by side on the session, at most the run's limit of requests in
// flight (8 unless set otherwise), each walk one request at a time, until every walk has ended.
// `stage` names them on the progress line.
void runRangeWalks(RunContext& context, SnmpSession& session, std::span<RangeWalk* const> walks,
                   const char* stage);
