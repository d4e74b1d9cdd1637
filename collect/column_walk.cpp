#include "collect/column_walk.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>

#include "collect/debug.h"
#include "collect/progress.h"
#include "snmp/target.h"

uint32_t requestCounter = 1;
bool printWalkFailures = true;

namespace {

bool isException(const netsnmp_variable_list& variable) {
    return variable.type == SNMP_NOSUCHOBJECT || variable.type == SNMP_NOSUCHINSTANCE ||
           variable.type == SNMP_ENDOFMIBVIEW;
}

// The column OIDs are our own dotted constants, so a plain split is all they need.
std::vector<oid> parseOid(std::string_view text) {
    std::vector<oid> name;
    for (size_t start = 0; start <= text.size();) {
        const size_t dot = std::min(text.find('.', start), text.size());
        oid subid = 0;
        std::from_chars(text.data() + start, text.data() + dot, subid);
        name.push_back(subid);
        start = dot + 1;
    }
    return name;
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

void ColumnWalk::addRequestBindings(netsnmp_pdu* pdu) const {
    for (const Column& column : columns_) {
        snmp_add_null_var(pdu, column.name.data(), column.name.size());
    }
}

bool ColumnWalk::advances(const netsnmp_variable_list& first) const {
    const std::vector<oid>& previous = columns_.front().name;
    return snmp_oid_compare(first.name, first.name_length, previous.data(), previous.size()) > 0;
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
        const netsnmp_variable_list& firstColumn = *group[0]->variable();
        // The next range's walk takes this group, with every test below.
        if (!bound_.empty() && snmp_oid_compare(firstColumn.name, firstColumn.name_length,
                                                bound_.data(), bound_.size()) >= 0) {
            reachedBound_ = true;
            return false;
        }
        if (!fits || !columns_[0].text.starts_with(prefix_) || isException(firstColumn) ||
            !advances(firstColumn)) {
            return false;
        }
        for (int32_t k = 0; k < groupSize; ++k) {
            const netsnmp_variable_list& variable = *group[k]->variable();
            columns_[k].name.assign(variable.name, variable.name + variable.name_length);
        }
        handler(std::span(group.data(), static_cast<size_t>(groupSize)));
    }
    return true;
}

std::string failureLine(const SnmpTarget& target, const SnmpResponse* response) {
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

std::unique_ptr<SnmpResponse> exchange(SnmpRequest& request, SnmpTarget& target,
                                       std::string& failure) {
    target.setExchangeLimits(exchangeTimeoutMicroseconds, exchangeRetries);
    if (debugMode != 0) {
        std::fflush(debugOut);  // show the half line while the request blocks
    }
    std::unique_ptr<SnmpResponse> response = request.send();
    if (response && response->errorCode() == 0) {
        debugPrint("Packet returned...");
        debugPrint("OIDs returned: %u\n", static_cast<unsigned>(response->bindingCount()));
        return response;
    }
    failure = failureLine(target, response.get());
    printWalkFailure(failure);
    return nullptr;
}

WalkOutcome bulkColumnWalk(SnmpTarget& target, const char* stage,
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
        walk.addRequestBindings(request.pdu());
        request.pdu()->non_repeaters = 0;
        request.pdu()->max_repetitions = maxRepetitions;
        debugPrint("Sending BULK CBWFQ packet...");
        const std::unique_ptr<SnmpResponse> response = exchange(request, target, outcome.failure);
        going = response && walk.takeGroups(*response, counted);
    }
    return outcome;
}
