#include "collect/column_walk.h"

#include <algorithm>
#include <array>

#include "collect/walk_progress.h"
#include "snmp/session.h"

namespace {

bool isException(u_char type) {
    return type == SNMP_NOSUCHOBJECT || type == SNMP_NOSUCHINSTANCE || type == SNMP_ENDOFMIBVIEW;
}

bool startsWith(std::span<const oid> name, std::span<const oid> prefix, size_t length) {
    return name.size() > length &&
           std::equal(prefix.begin(), prefix.begin() + length, name.begin());
}

// Ordered as SNMP orders OIDs: sub-identifier by sub-identifier, a prefix first.
bool less(std::span<const oid> a, std::span<const oid> b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end());
}

// The length of the OID as dotted decimal text.
size_t dottedLength(std::span<const oid> name) {
    size_t length = name.empty() ? 0 : name.size() - 1;
    for (oid subid : name) {
        do {
            ++length;
            subid /= 10;
        } while (subid != 0);
    }
    return length;
}

}  // namespace

uint32_t subidAt(std::span<const oid> name, size_t position) {
    return position < name.size() ? static_cast<uint32_t>(name[position]) : 0;
}

ColumnCursor::ColumnCursor(std::span<const ColumnOid> columns)
    : prefixLength_(columns.front().size()) {
    for (const ColumnOid& column : columns) {
        positions_.emplace_back(column.begin(), column.end());
    }
}

void ColumnCursor::startAt(uint32_t first) {
    for (std::vector<oid>& position : positions_) {
        position.push_back(first);
    }
}

void ColumnCursor::endBefore(uint32_t bound) {
    bound_.assign(positions_.front().begin(), positions_.front().begin() + prefixLength_);
    bound_.push_back(bound);
}

void ColumnCursor::addRequestBindings(SnmpRequest& request) const {
    for (const std::vector<oid>& position : positions_) {
        request.addNullBinding(position);
    }
}

bool ColumnCursor::takeGroups(SnmpResponse& response, const RowHandler& handler,
                              const RunContext& context) {
    const int32_t groupSize = static_cast<int32_t>(positions_.size());
    if (response.bindingCount() < groupSize) {
        return false;  // the same request again would never advance
    }
    std::array<ResponseBinding*, maxColumns> group{};
    for (int32_t first = 1; first + groupSize - 1 <= response.bindingCount(); first += groupSize) {
        bool fits = true;
        for (int32_t k = 0; k < groupSize; ++k) {
            group[k] = &response.binding(first + k);
            fits = fits && dottedLength(group[k]->name()) <= maxOidText;
            if (context.debugging()) {
                context.debug("OID%d: %s = %s\n", k + 1, group[k]->oidText().c_str(),
                              group[k]->valueText().c_str());
            }
        }
        const std::span<const oid> firstName = group[0]->name();
        // The next range's walk takes this group, with every test below.
        if (!bound_.empty() && !less(firstName, bound_)) {
            reachedBound_ = true;
            return false;
        }
        if (!fits || !startsWith(firstName, positions_.front(), prefixLength_) ||
            isException(group[0]->type()) || !less(positions_.front(), firstName)) {
            return false;
        }
        for (int32_t k = 0; k < groupSize; ++k) {
            const std::span<const oid> name = group[k]->name();
            positions_[k].assign(name.begin(), name.end());
        }
        handler(std::span(group.data(), static_cast<size_t>(groupSize)));
    }
    return true;
}

std::string failureLine(const std::string& agentName, const SnmpResponse* response) {
    const std::string noPacket = "No packet returned from " + agentName + ".";
    if (response == nullptr) {
        return noPacket;
    }
    return noPacket + "  Error code: " + std::to_string(response->errorCode());
}

std::string stoppedLine(const StopCondition& stop) {
    return stop.cancelled != nullptr && stop.cancelled->load()
               ? "Stopped: the run was cancelled."
               : "Stopped: the run's deadline passed.";
}

std::string stageFailure(const RunContext& context, const std::string& failure) {
    return failure.empty() && context.stop().reached() ? stoppedLine(context.stop()) : failure;
}

std::unique_ptr<SnmpResponse> exchange(RunContext& context, SnmpSession& session,
                                       SnmpRequest& request, std::string& failure) {
    if (context.stop().reached()) {
        failure = stoppedLine(context.stop());
        context.failure(failure);
        return nullptr;
    }
    session.setExchangeLimits(context.limits().timeoutMicroseconds, context.limits().retries);
    context.countRequest();
    std::unique_ptr<SnmpResponse> response = exchangeOne(session, request, context.stop());
    if (response && response->errorCode() == 0) {
        context.debug("Packet returned...");
        context.debug("OIDs returned: %u\n", static_cast<unsigned>(response->bindingCount()));
        return response;
    }
    if (context.stop().reached()) {
        failure = stoppedLine(context.stop());
    } else {
        if (!response) {
            context.countUnanswered();
        }
        failure = failureLine(session.settings().agentName, response.get());
    }
    context.failure(failure);
    return nullptr;
}

WalkOutcome walkColumns(RunContext& context, SnmpSession& session, const StageWalk& stageWalk,
                        const RowHandler& handler) {
    ColumnCursor walk(stageWalk.columns);
    WalkOutcome outcome;
    const RowHandler counted = [&](Row row) {
        ++outcome.rows;
        handler(row);
    };
    WalkProgress progress(context, stageWalk.stage);
    uint64_t requests = 0;
    for (bool going = true; going; progress.update(outcome.rows, ++requests)) {
        SnmpRequest request(session, context.nextRequestId());
        walk.addRequestBindings(request);
        request.setRepetitions(stageWalk.repetitions);
        context.debug("Sending BULK CBWFQ packet...");
        const std::unique_ptr<SnmpResponse> response =
            exchange(context, session, request, outcome.failure);
        going = response && walk.takeGroups(*response, counted, context);
    }
    return outcome;
}
