#include "collect/column_walk.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "collect/debug.h"
#include "collect/progress.h"
#include "snmp/exchanges.h"
#include "snmp/render.h"
#include "snmp/session.h"

uint32_t requestCounter = 1;
bool printWalkFailures = true;

namespace {

bool isException(u_char type) {
    return type == SNMP_NOSUCHOBJECT || type == SNMP_NOSUCHINSTANCE || type == SNMP_ENDOFMIBVIEW;
}

}  // namespace

ColumnWalk::ColumnWalk(std::span<const char* const> columns) {
    for (const char* column : columns) {
        columns_.push_back({column, parseOid(column)});
    }
    prefix_ = columns_.front().text + ".";
}

void ColumnWalk::startAt(uint32_t first) {
    for (Column& column : columns_) {
        column.text += "." + std::to_string(first);
        column.name.push_back(first);
    }
}

void ColumnWalk::endBefore(uint32_t bound) {
    bound_ = parseOid(prefix_.substr(0, prefix_.size() - 1));
    bound_.push_back(bound);
}

void ColumnWalk::addRequestBindings(SnmpRequest& request) const {
    for (const Column& column : columns_) {
        request.addNullBinding(column.name);
    }
}

bool ColumnWalk::advances(std::span<const oid> first) const {
    return compareOids(first, columns_.front().name) > 0;
}

bool ColumnWalk::takeGroups(SnmpResponse& response, const RowHandler& handler) {
    const int32_t groupSize = static_cast<int32_t>(columns_.size());
    if (response.bindingCount() < groupSize) {
        return false;  // the same request again would never advance
    }
    std::array<ResponseBinding*, maxColumns> group{};
    for (int32_t first = 1; first + groupSize - 1 <= response.bindingCount(); first += groupSize) {
        bool fits = true;
        for (int32_t k = 0; k < groupSize; ++k) {
            group[k] = &response.binding(first + k);
            const std::string& text = group[k]->oidText();
            if (text.size() > maxOidText) {
                fits = false;
            } else {
                columns_[k].text = text;
            }
            debugPrint("OID%d: %s = %s\n", k + 1, text.c_str(), group[k]->valueText().c_str());
        }
        const std::span<const oid> firstName = group[0]->name();
        // The next range's walk takes this group, with every test below.
        if (!bound_.empty() && compareOids(firstName, bound_) >= 0) {
            reachedBound_ = true;
            return false;
        }
        if (!fits || !columns_[0].text.starts_with(prefix_) || isException(group[0]->type()) ||
            !advances(firstName)) {
            return false;
        }
        for (int32_t k = 0; k < groupSize; ++k) {
            const std::span<const oid> name = group[k]->name();
            columns_[k].name.assign(name.begin(), name.end());
        }
        handler(std::span(group.data(), static_cast<size_t>(groupSize)));
    }
    return true;
}

std::string failureLine(const SnmpSession& target, const SnmpResponse* response) {
    const std::string noPacket = "No packet returned from " + target.settings().agentName + ".";
    if (response == nullptr) {
        return noPacket;
    }
    return noPacket + "  Error code: " + std::to_string(response->errorCode());
}

void printWalkFailure(const std::string& failure) {
    if (printWalkFailures) {
        clearProgressLine();
        std::printf("%s\n", failure.c_str());
    }
}

std::unique_ptr<SnmpResponse> exchange(SnmpRequest& request, SnmpSession& target,
                                       std::string& failure) {
    target.setExchangeLimits(exchangeTimeoutMicroseconds, exchangeRetries);
    if (debugMode != 0) {
        std::fflush(debugOut);  // show the half line while the request blocks
    }
    std::unique_ptr<SnmpResponse> response = exchangeOne(target, request);
    if (response && response->errorCode() == 0) {
        debugPrint("Packet returned...");
        debugPrint("OIDs returned: %u\n", static_cast<unsigned>(response->bindingCount()));
        return response;
    }
    failure = failureLine(target, response.get());
    printWalkFailure(failure);
    return nullptr;
}

WalkOutcome bulkColumnWalk(SnmpSession& target, const char* stage,
                           std::span<const char* const> columns, long maxRepetitions,
                           const RowHandler& handler) {
    ColumnWalk walk(columns);
    WalkOutcome outcome;
    const RowHandler counted = [&](Row row) {
        ++outcome.rows;
        handler(row);
    };
    WalkProgress progress(stage);
    uint64_t requests = 0;
    for (bool going = true; going; progress.update(outcome.rows, ++requests)) {
        SnmpRequest request(target, requestCounter++);
        walk.addRequestBindings(request);
        request.setRepetitions(maxRepetitions);
        debugPrint("Sending BULK CBWFQ packet...");
        const std::unique_ptr<SnmpResponse> response = exchange(request, target, outcome.failure);
        going = response && walk.takeGroups(*response, counted);
    }
    return outcome;
}
