#include "collect/fast_walk.h"

#include <algorithm>
#include <deque>

#include "collect/walk_progress.h"
#include "snmp/exchanges.h"
#include "snmp/target.h"

namespace {

// A response of this size fits an Ethernet frame with the IP and UDP headers, so no agent or
// path needs to fragment it.
constexpr size_t responseBytes = 1'400;
// The message, PDU and, with SNMPv3, security headers around the bindings.
constexpr size_t headerBytes = 120;
// The index a column OID gets in a row (two numbers of a few bytes) and the binding's headers.
constexpr size_t indexBytes = 6;
constexpr size_t bindingHeaderBytes = 4;
constexpr size_t maxInFlight = 8;
constexpr int32_t tooBig = 1;

// The encoded length of an OID: the first two numbers share a byte, each other number takes
// one byte per 7 bits.
size_t encodedOidBytes(ColumnOid name) {
    size_t bytes = 1;
    for (size_t i = 2; i < name.size(); ++i) {
        bytes += 1;
        for (oid number = name[i]; number >= 128; number >>= 7) {
            ++bytes;
        }
    }
    return bytes;
}

long repetitionsFor(std::span<const ColumnOid> columns, uint32_t valueBytes) {
    size_t rowBytes = 0;
    for (const ColumnOid& column : columns) {
        rowBytes += bindingHeaderBytes + encodedOidBytes(column) + indexBytes + valueBytes;
    }
    return static_cast<long>(std::max<size_t>(1, (responseBytes - headerBytes) / rowBytes));
}

}  // namespace

void KeptRows::add(Row row) {
    for (size_t k = 0; k < row.size(); ++k) {
        const std::span<const oid> name = row[k]->name();
        // Most names are their column and an index; an agent may answer a column with an OID
        // of another, which is kept whole.
        const bool inColumn = name.size() >= columns_[k].size() &&
                              std::equal(columns_[k].begin(), columns_[k].end(), name.begin());
        for (size_t i = inColumn ? columns_[k].size() : 0; i < name.size(); ++i) {
            indices_.push_back(static_cast<uint32_t>(name[i]));
        }
        texts_ += row[k]->valueText();
        bindings_.push_back({static_cast<uint32_t>(indices_.size()),
                             static_cast<uint32_t>(texts_.size()), inColumn, row[k]->value()});
    }
}

uint32_t KeptRows::handOver(const RowHandler& handler) {
    const size_t width = columns_.size();
    std::vector<ResponseBinding> row;
    std::vector<ResponseBinding*> pointers(width);
    std::vector<oid> name;
    uint32_t rows = 0;
    uint32_t indexStart = 0;
    uint32_t textStart = 0;
    const std::string_view texts(texts_);
    for (size_t first = 0; first < bindings_.size(); first += width) {
        row.clear();
        for (size_t k = 0; k < width; ++k) {
            const Binding& binding = bindings_[first + k];
            name.clear();
            if (binding.inColumn) {
                name.assign(columns_[k].begin(), columns_[k].end());
            }
            name.insert(name.end(), indices_.begin() + indexStart,
                        indices_.begin() + binding.indexEnd);
            row.emplace_back(name, binding.value,
                             texts.substr(textStart, binding.textEnd - textStart));
            indexStart = binding.indexEnd;
            textStart = binding.textEnd;
        }
        for (size_t k = 0; k < width; ++k) {
            pointers[k] = &row[k];
        }
        handler(pointers);
        ++rows;
    }
    indices_ = {};
    texts_ = {};
    bindings_ = {};
    return rows;
}

RangeWalk::RangeWalk(const StageWalk& walk, std::optional<uint32_t> first,
                   std::optional<uint32_t> bound)
    : cursor_(walk.columns),
      maxRepetitions_(repetitionsFor(walk.columns, walk.valueBytes)),
      rows_(walk.columns) {
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
                    const SnmpTarget& target) {
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
        if (context.stop().reached()) {
            failure_ = stoppedLine(context.stop());
        } else {
            if (!response) {
                context.countUnanswered();
            }
            failure_ = failureLine(target.settings().agentName, response.get());
        }
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

void runRangeWalks(RunContext& context, SnmpTarget& target, std::span<RangeWalk* const> walks,
                  const char* stage) {
    PendingExchanges exchanges(target);
    WalkProgress progress(context, stage);
    uint64_t requests = 0;
    // Walks waiting to send, first come first served: each gets its turn in the order its
    // answer came.
    std::deque<RangeWalk*> ready(walks.begin(), walks.end());
    while (!ready.empty() || exchanges.pending() != 0) {
        while (!ready.empty() && exchanges.pending() < maxInFlight) {
            RangeWalk* walk = ready.front();
            ready.pop_front();
            if (walk->end() != RangeWalk::End::going) {
                continue;
            }
            if (context.stop().reached()) {
                walk->abandon(stoppedLine(context.stop()));
                continue;
            }
            SnmpRequest request(target, context.nextRequestId());
            ++requests;
            walk->fillRequest(request);
            target.setExchangeLimits(exchangeTimeoutMicroseconds, exchangeRetries);
            exchanges.send(request, [&, walk](std::unique_ptr<SnmpResponse> response) {
                if (walk->take(std::move(response), context, target)) {
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
