// GETs of statistics rows already known from a walk (classes and actions): each row's columns
// asked together, so they come in one response, and as many rows to a request as a response of
// about 1,400 bytes holds (as -fast's walks fill theirs), several requests in flight.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "collect/field_table.h"
#include "collect/run_context.h"
#include "snmp/session.h"

// A row of a table and the columns asked of it: bit w for table->walks[w].
struct KnownRow {
    const FieldTable* table = nullptr;
    RowKey key;
    uint32_t walks = 0;
};

struct RowReading {
    uint32_t answeredWalks = 0;  // the columns the agent answered
    ColumnValues columns;        // their values
    // When the response that carried them arrived: rates divide by the time between these.
    std::chrono::steady_clock::time_point arrival;
};

struct RowGets {
    std::vector<RowReading> rows;       // one per row asked, in the same order
    std::optional<uint32_t> sysUpTime;  // hundredths of a second, when asked and answered
    std::optional<std::chrono::system_clock::time_point> firstAnswer;
    std::string failure;  // the failure line when the reads could not finish
};

// GETs each row's walks and, with `withUptime`, sysUpTime.0, adding them to `readings` (one per
// row: columns read before, or none). A row none of whose walks answer keeps the answeredWalks
// it came with. Ends at the first failed exchange.
RowGets getRows(RunContext& context, SnmpSession& session, std::span<const KnownRow> rows,
                bool withUptime, std::vector<RowReading> readings = {});
