#include "collect/fast_walk.h"

#include <algorithm>
#include <deque>

#include "collect/response_size.h"
#include "collect/walk_progress.h"
#include "snmp/exchanges.h"
#include "snmp/session.h"

namespace {

// The index a column OID gets in a row: two numbers of a few bytes.
constexpr size_t indexBytes = 6;
constexpr int32_t tooBig = 1;

long repetitionsFor(std::span<const ColumnOid> columns, uint32_t valueBytes) {
    size_t rowBytes = 0;
    for (const ColumnOid& column : columns) {
        rowBytes += bindingHeaderBytes + encodedOidBytes(column) + indexBytes + valueBytes;
    }
    return static_cast<long>(std::max<size_t>(1, (responseBytes - responseHeaderBytes) / rowBytes));
}

}  // namespace

void KeptRows::add(Row row) {
    for (ResponseBinding* binding : row) {
        bindings_.add(*binding);
    }
}

uint32_t KeptRows::handOver(const RowHandler& handler) {
    std::vector<ResponseBinding> row;
    std::vector<ResponseBinding*> pointers(columns_);
    uint32_t rows = 0;
    for (size_t first = 0; first < bindings_.size(); first += columns_) {
        row.clear();
        for (size_t k = 0; k < columns_; ++k) {
            row.push_back(bindings_.binding(first + k));
        }
        for (size_t k = 0; k < columns_; ++k) {
            pointers[k] = &row[k];
        }
        handler(pointers);
        ++rows;
    }
    bindings_.clear();
    return rows;
}

RangeWalk::RangeWalk(const StageWalk& walk, std::optional<uint32_t> first,
                     std::optional<uint32_t> bound)
    : cursor_(walk.columns),
      maxRepetitions_(repetitionsFor(walk.columns, walk.valueBytes)),
      rows_(walk.columns.size()) {
    if (first) {
        cursor_.startAt(*first);
    }
    if (bound) {
        cursor_.endBefore(*bound);
    }
}

void RangeWalk::fillRequest(SnmpRequest& request) const {
    cursor_.addRequestBindings(request);
    request.setRepetitions(maxRepetitions_);
}

bool RangeWalk::take(std::unique_ptr<SnmpResponse> response, RunContext& context,
                     const SnmpSession& session) {
    if (end_ != End::going) {
        return false;  // cancelled while the request was out
    }
    // The exchange's debug line, whole once its answer is in: other requests went out meanwhile.
    context.debug("Sending BULK CBWFQ packet...");
    const int32_t errorCode = response ? response->errorCode() : 0;
    if (!response || errorCode != 0) {
        context.debug("\n");  // the failure line comes at its stage's place
        if (errorCode == tooBig && maxRepetitions_ > 1) {
            maxRepetitions_ /= 2;
            return true;
        }
        failure_ = exchangeFailure(context, session, response.get());
        finish(End::failure);
        return false;
    }
    context.debug("Packet returned...");
    context.debug("OIDs returned: %u\n", static_cast<unsigned>(response->bindingCount()));
    if (cursor_.takeGroups(
            *response, [this](Row row) { rows_.add(row); }, context)) {
        return true;
    }
    finish(cursor_.reachedBound() ? End::bound : End::table);
    return false;
}

void RangeWalk::abandon(std::string failure) {
    failure_ = std::move(failure);
    finish(End::failure);
}

void RangeWalk::finish(End end) {
    end_ = end;
    if (end == End::bound) {
        return;
    }
    // The default walk would have ended here too and never seen the later rows.
    for (RangeWalk* later = nextRange_; later != nullptr; later = later->nextRange_) {
        later->end_ = End::cancelled;
    }
}

void runRangeWalks(RunContext& context, SnmpSession& session, std::span<RangeWalk* const> walks,
                   const char* stage) {
    PendingExchanges exchanges(session);
    WalkProgress progress(context, stage);
    uint64_t requests = 0;
    // Walks waiting to send, first come first served: each gets its turn in the order its
    // answer came.
    std::deque<RangeWalk*> ready(walks.begin(), walks.end());
    while (!ready.empty() || exchanges.pending() != 0) {
        while (!ready.empty() && exchanges.pending() < context.limits().maxInFlight) {
            RangeWalk* walk = ready.front();
            ready.pop_front();
            if (walk->end() != RangeWalk::End::going) {
                continue;
            }
            if (context.stop().reached()) {
                walk->abandon(stoppedLine(context.stop()));
                continue;
            }
            SnmpRequest request(session, context.nextRequestId());
            context.countRequest();
            ++requests;
            walk->fillRequest(request);
            session.setExchangeLimits(context.limits().timeoutMicroseconds,
                                      context.limits().retries);
            exchanges.send(request, [&, walk](std::unique_ptr<SnmpResponse> response) {
                if (walk->take(std::move(response), context, session)) {
                    ready.push_back(walk);
                }
            });
        }
        exchanges.wait(context.stop());
        uint64_t rows = 0;
        for (const RangeWalk* walk : walks) {
            rows += walk->rows().count();
        }
        progress.update(rows, requests);
    }
}
