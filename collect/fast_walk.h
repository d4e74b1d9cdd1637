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

class SnmpTarget;

// The rows of one walk, kept compactly: each binding's index below its column, its value as
// numbers and its value text.
class KeptRows {
  public:
    explicit KeptRows(std::span<const ColumnOid> columns) : columns_(columns) {}
    void add(Row row);
    uint64_t count() const { return bindings_.size() / columns_.size(); }
    // Hands every row to `handler` in the order they came, then forgets them; returns how many.
    uint32_t handOver(const RowHandler& handler);

  private:
    struct Binding {
        uint32_t indexEnd;  // offsets into indices_ and texts_
        uint32_t textEnd;
        bool inColumn;  // the index follows the column's OID; else the OID is kept whole
        BindingValue value;
    };
    std::span<const ColumnOid> columns_;
    std::vector<uint32_t> indices_;
    std::string texts_;
    std::vector<Binding> bindings_;
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
              const SnmpTarget& target);

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

// Runs the walks side by side on the target's session, at most 8 requests in flight, each
// walk one request at a time, until every walk has ended. `stage` names them on the progress
// line.
void runRangeWalks(RunContext& context, SnmpTarget& target, std::span<RangeWalk* const> walks,
                  const char* stage);
