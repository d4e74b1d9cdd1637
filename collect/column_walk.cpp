#include "collect/column_walk.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>

#include "collect/debug.h"
#include "snmp/target.h"

uint32_t requestCounter = 1;

namespace {

constexpr long exchangeTimeoutMicroseconds = 5'000'000;
constexpr int exchangeRetries = 2;

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

WalkOutcome bulkColumnWalk(SnmpTarget& target, std::span<const char* const> columns,
                           long maxRepetitions, const RowHandler& handler) {
    ColumnWalk walk(columns);
    WalkOutcome outcome;
    const RowHandler counted = [&](Row row) {
        ++outcome.rows;
        handler(row);
    };
    const char* agent = target.settings().agentName.c_str();
    for (bool going = true; going;) {
        SnmpRequest request(target, requestCounter++);
        walk.addRequestBindings(request.pdu());
        target.setExchangeLimits(exchangeTimeoutMicroseconds, exchangeRetries);
        request.pdu()->non_repeaters = 0;
        request.pdu()->max_repetitions = maxRepetitions;
        debugPrint("Sending BULK CBWFQ packet...");
        if (debugMode != 0) {
            std::fflush(stdout);  // show the half line while the request blocks
        }
        const std::unique_ptr<SnmpResponse> response = request.send();
        if (!response) {
            std::printf("No packet returned from %s.\n", agent);
            outcome.failed = true;
        } else if (response->errorCode() != 0) {
            std::printf("No packet returned from %s.  Error code: %u\n", agent,
                        static_cast<unsigned>(response->errorCode()));
            outcome.failed = true;
        } else {
            debugPrint("Packet returned...");
            debugPrint("OIDs returned: %u\n", static_cast<unsigned>(response->bindingCount()));
            going = walk.takeGroups(*response, counted);
        }
        going = going && !outcome.failed;
    }
    return outcome;
}
