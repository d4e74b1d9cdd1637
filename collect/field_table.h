// Tables read column by column into named fields. Routers give different subsets of a table's
// columns, so each field takes the first of its sources the row has: a column read whole (the
// 64-bit one, where the MIB has it), else an overflow column and the low 32 bits in another
// (overflow × 2^32 + low), else the low column alone. A field the row gives in none is absent.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include "collect/present_values.h"
#include "collect/stage_walks.h"

class ColumnWalker;
struct WalkOutcome;

struct ValueSource {
    oid column = 0;     // 0: no further source
    oid lowColumn = 0;  // not 0: `column` is the overflow above these low 32 bits
};

// How the documents show a value: a number, a TruthValue, or a code with names.
enum class ValueKind : uint8_t {
    number,
    truth,
    rateType,         // police and shaping rates
    bandwidthUnits,   // queueing bandwidth
    queueLimitUnits,  // queue limits and WRED thresholds
    limitType,        // shaping
    redMechanism,     // what WRED's values are
};

struct TableField {
    std::string_view key;  // the documents' name
    std::array<ValueSource, 3> sources;
    ValueKind kind = ValueKind::number;
    bool percentOnly = false;  // kept only where the row's rate type is percentage
};

// How a table's rows are indexed; the documents' row key follows from it.
enum class RowIndex : uint8_t { config, configValue, policyObject, policyObjectValue };

// A row's key: its configuration index, or its policy and object index as policy << 32 |
// object; then the value of a per-value table (0 elsewhere).
using RowKey = std::pair<uint64_t, uint32_t>;
inline uint64_t policyObjectKey(uint32_t policyIndex, uint32_t objectIndex) {
    return (static_cast<uint64_t>(policyIndex) << 32) | objectIndex;
}

// The fields one row gave, by their position in the table's list.
using FieldValues = PresentValues<16>;

using TableRows = std::map<RowKey, FieldValues>;

struct FieldTable {
    RowIndex index;
    std::span<const TableField> fields;
    std::span<const StageWalk> walks;  // one per column the fields read, walked in this order
    int rateTypeField = -1;            // the field percentOnly fields depend on
};

// A table's walk of each column, 8 rows a request as the class counter walks. With -fast each
// column is walked whole: a table's columns, side by side, fill the requests in flight, where
// ranges by policy would cost a request on every column, most of all on the columns a router
// does not have.
template <oid table, const char* stage, oid... columns>
inline constexpr StageWalk tableWalks[] = {
    {stage, std::span(&qosColumnOid<table, columns>, 1), 8, 10, false}...};

// One column's value in a row, as it came: `narrow` when a Counter32 carried it.
struct ColumnValue {
    oid column;
    uint64_t value;
    bool narrow = false;
};
using ColumnValues = std::vector<ColumnValue>;

// The index a row's OIDs carry after the column, from its key.
std::vector<oid> rowIndex(RowIndex index, const RowKey& key);
// The walks, bit w for table.walks[w], of these columns.
uint32_t walkBits(const FieldTable& table, std::span<const oid> columns);

// A row's fields from the columns it gave. With `narrowFields`, bit f is set where field f came
// from one column that a Counter32 carried.
FieldValues resolveFields(const FieldTable& table, const ColumnValues& row,
                          uint32_t* narrowFields = nullptr);
// The columns a row's fields come from, of those it gave: each field's first source it has.
std::vector<oid> sourceColumns(const FieldTable& table, const ColumnValues& row);

// The columns each row gave, by row.
using TableColumns = std::map<RowKey, ColumnValues>;

// Walks the table's columns in order, ending at the first failed walk, and puts the columns of
// every row it read, failed or not, into `read`.
WalkOutcome walkTableColumns(ColumnWalker& walker, const FieldTable& table, TableColumns& read);
// A row's fields into `rows`, where it gave any.
void keepFields(const FieldTable& table, const RowKey& key, const ColumnValues& columns,
                TableRows& rows);
// As walkTableColumns, and keeps each row's fields in `rows` too.
WalkOutcome collectTableRows(ColumnWalker& walker, const FieldTable& table, TableRows& rows,
                             TableColumns& read);

// The rows in [first, value 0 of the next index): all values of a per-value table's index.
std::pair<TableRows::const_iterator, TableRows::const_iterator> rowsOf(const TableRows& rows,
                                                                       uint64_t index);
