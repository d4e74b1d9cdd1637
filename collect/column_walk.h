// The GETBULK column walk every collection stage runs: two or three columns of one table,
// one row per group of bindings, each request starting after the last complete group.
#pragma once

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "snmp/request.h"

class SnmpTarget;

// The request id of the next request; ids run on across the stages of a run.
extern uint32_t requestCounter;

// One row: the group's bindings in column order.
using Row = std::span<ResponseBinding* const>;
using RowHandler = std::function<void(Row row)>;

// The walk buffers of one walk and the rules by which a response moves them on.
class ColumnWalk {
  public:
    static constexpr size_t maxColumns = 3;
    // The longest OID text a walk buffer holds.
    static constexpr size_t maxOidText = 999;

    // `columns` are dotted column OIDs; the first one, followed by a dot, is the prefix every
    // row's first OID must start with.
    explicit ColumnWalk(std::span<const char* const> columns);

    // Adds one null binding per column: the successors of what the buffers hold.
    void addRequestBindings(netsnmp_pdu* pdu) const;

    // Hands each complete group of a good response to `handler`, in order. Returns false when
    // the walk has ended: a group left the first column, its first binding holds an exception
    // value, its first OID does not advance past the previous one, an OID text does not fit
    // a buffer, or the response holds no complete group.
    bool takeGroups(SnmpResponse& response, const RowHandler& handler);

    const std::string& buffer(size_t column) const { return columns_[column].text; }

  private:
    struct Column {
        std::string text;       // the walk buffer
        std::vector<oid> name;  // the same OID, as sent in the next request
    };
    bool advances(const netsnmp_variable_list& first) const;

    std::vector<Column> columns_;
    std::string prefix_;
};

struct WalkOutcome {
    uint32_t rows = 0;    // groups handed to the row handler
    bool failed = false;  // ended with a failure line: no answer, or an error-status
};

// Runs the walk to its end on the target's session, printing the failure lines.
WalkOutcome bulkColumnWalk(SnmpTarget& target, std::span<const char* const> columns,
                           long maxRepetitions, const RowHandler& handler);
