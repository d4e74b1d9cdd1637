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

class SnmpSession;

// The rows of one walk.
class KeptRows {
  public:
    void add(Row row);
    uint64_t count() const { return columns_ == 0 ? 0 : bindings_.size() / columns_; }
    // Hands every row to `handler` in the order they came, then forgets them; returns how many.
    uint32_t handOver(const RowHandler& handler);

  private:
    size_t columns_ = 0;
    KeptBindings bindings_;
};

class FastWalk {
  public:
    enum class End {
        going,
        bound,      // reached the next range: the walk was whole
        table,      // any end of the default walk short of a failure line
        failure,    // no answer, or an error-status
        cancelled,  // an earlier range of the same table ended short, so these rows go unused
    };

    // The walk of `columns`, or of its rows whose first index lies in [first, bound); requests
    // are sized for values of about `valueBytes` each, encoded.
    FastWalk(std::span<const char* const> columns, uint32_t valueBytes,
             std::optional<uint32_t> first = {}, std::optional<uint32_t> bound = {});

    // A walk of the following range, ended unused when this one ends short of its bound.
    void setNextRange(FastWalk* next) { nextRange_ = next; }

    End end() const { return end_; }
    // The failure line, when the walk ended in a failure.
    const std::string& failure() const { return failure_; }
    KeptRows& rows() { return rows_; }
    const KeptRows& rows() const { return rows_; }

    // Fills the request for the rows that follow what the walk has taken.
    void fillRequest(SnmpRequest& request) const;
    // Takes the response to the last request (null: none came); true when the walk goes on.
    bool take(std::unique_ptr<SnmpResponse> response, const SnmpSession& target);

  private:
    void finish(End end);

    ColumnWalk walk_;
    long maxRepetitions_;
    KeptRows rows_;
    End end_ = End::going;
    std::string failure_;
    FastWalk* nextRange_ = nullptr;
};

// Runs the walks side by side on the target's session, at most 8 requests in flight, each
// walk one request at a time, until every walk has ended. `stage` names them on the progress
// line.
void runFastWalks(SnmpSession& target, std::span<FastWalk* const> walks, const char* stage);
