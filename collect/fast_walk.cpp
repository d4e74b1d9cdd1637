#include "collect/fast_walk.h"

#include <deque>
#include <string_view>

#include "collect/debug.h"
#include "collect/progress.h"
#include "snmp/exchanges.h"
#include "snmp/session.h"

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

// The encoded length of a dotted OID: the first two numbers share a byte, each other number
// takes one byte per 7 bits.
size_t encodedOidBytes(std::string_view text) {
    size_t bytes = 1;
    size_t position = text.find('.', text.find('.') + 1);
    while (position != std::string_view::npos) {
        uint64_t number = 0;
        for (++position; position < text.size() && text[position] != '.'; ++position) {
            number = number * 10 + static_cast<uint64_t>(text[position] - '0');
        }
        for (bytes += 1; number >= 128; number >>= 7) {
            ++bytes;
        }
        position = position < text.size() ? position : std::string_view::npos;
    }
    return bytes;
}

long repetitionsFor(std::span<const char* const> columns, uint32_t valueBytes) {
    size_t rowBytes = 0;
    for (const char* column : columns) {
        rowBytes += bindingHeaderBytes + encodedOidBytes(column) + indexBytes + valueBytes;
    }
    return static_cast<long>(std::max<size_t>(1, (responseBytes - headerBytes) / rowBytes));
}

}  // namespace

void KeptRows::add(Row row) {
    columns_ = row.size();
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

FastWalk::FastWalk(std::span<const char* const> columns, uint32_t valueBytes,
                   std::optional<uint32_t> first, std::optional<uint32_t> bound)
    : walk_(columns), maxRepetitions_(repetitionsFor(columns, valueBytes)) {
    if (first) {
        walk_.startAt(*first);
    }
    if (bound) {
        walk_.endBefore(*bound);
    }
}

void FastWalk::fillRequest(SnmpRequest& request) const {
    walk_.addRequestBindings(request);
    request.setRepetitions(maxRepetitions_);
}

bool FastWalk::take(std::unique_ptr<SnmpResponse> response, const SnmpSession& target) {
    if (end_ != End::going) {
        return false;  // cancelled while the request was out
    }
    // The exchange's debug line, whole once its answer is in: other requests went out meanwhile.
    debugPrint("Sending BULK CBWFQ packet...");
    const int32_t errorCode = response ? response->errorCode() : 0;
    if (!response || errorCode != 0) {
        debugPrint("\n");  // the failure line comes at its stage's place
        if (errorCode == tooBig && maxRepetitions_ > 1) {
            maxRepetitions_ /= 2;
            return true;
        }
        failure_ = failureLine(target, response.get());
        finish(End::failure);
        return false;
    }
    debugPrint("Packet returned...");
    debugPrint("OIDs returned: %u\n", static_cast<unsigned>(response->bindingCount()));
    if (walk_.takeGroups(*response, [this](Row row) { rows_.add(row); })) {
        return true;
    }
    finish(walk_.reachedBound() ? End::bound : End::table);
    return false;
}

void FastWalk::finish(End end) {
    end_ = end;
    if (end == End::bound) {
        return;
    }
    // The default walk would have ended here too and never seen the later rows.
    for (FastWalk* later = nextRange_; later != nullptr; later = later->nextRange_) {
        later->end_ = End::cancelled;
    }
}

void runFastWalks(SnmpSession& target, std::span<FastWalk* const> walks, const char* stage) {
    PendingExchanges exchanges(target);
    WalkProgress progress(stage);
    uint64_t requests = 0;
    // Walks waiting to send, first come first served: each gets its turn in the order its
    // answer came.
    std::deque<FastWalk*> ready(walks.begin(), walks.end());
    while (!ready.empty() || exchanges.pending() != 0) {
        while (!ready.empty() && exchanges.pending() < maxInFlight) {
            FastWalk* walk = ready.front();
            ready.pop_front();
            if (walk->end() != FastWalk::End::going) {
                continue;
            }
            SnmpRequest request(target, requestCounter++);
            ++requests;
            walk->fillRequest(request);
            target.setExchangeLimits(exchangeTimeoutMicroseconds, exchangeRetries);
            exchanges.send(request, [&, walk](std::unique_ptr<SnmpResponse> response) {
                if (walk->take(std::move(response), target)) {
                    ready.push_back(walk);
                }
            });
        }
        exchanges.wait();
        uint64_t rows = 0;
        for (const FastWalk* walk : walks) {
            rows += walk->rows().count();
        }
        progress.update(rows, requests);
    }
}
