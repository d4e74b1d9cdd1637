#include "collect/field_table.h"

#include <algorithm>
#include <vector>

#include "collect/walker.h"

namespace {

constexpr uint32_t percentageRate = 2;  // PoliceRateType and the shaping rate type

size_t indexLength(RowIndex index) {
    switch (index) {
        case RowIndex::config:
            return 1;
        case RowIndex::configValue:
        case RowIndex::policyObject:
            return 2;
        case RowIndex::policyObjectValue:
            return 3;
    }
    return 0;
}

RowKey rowKey(RowIndex index, std::span<const oid> name, size_t at) {
    switch (index) {
        case RowIndex::config:
            return {subidAt(name, at), 0};
        case RowIndex::configValue:
            return {subidAt(name, at), subidAt(name, at + 1)};
        case RowIndex::policyObject:
            return {policyObjectKey(subidAt(name, at), subidAt(name, at + 1)), 0};
        case RowIndex::policyObjectValue:
            return {policyObjectKey(subidAt(name, at), subidAt(name, at + 1)),
                    subidAt(name, at + 2)};
    }
    return {};
}

}  // namespace

std::vector<oid> rowIndex(RowIndex index, const RowKey& key) {
    const oid policy = key.first >> 32;
    const oid object = key.first & 0xffffffffU;
    switch (index) {
        case RowIndex::config:
            return {key.first};
        case RowIndex::configValue:
            return {key.first, key.second};
        case RowIndex::policyObject:
            return {policy, object};
        case RowIndex::policyObjectValue:
            return {policy, object, key.second};
    }
    return {};
}

uint32_t walkBits(const FieldTable& table, std::span<const oid> columns) {
    uint32_t bits = 0;
    for (size_t w = 0; w < table.walks.size(); ++w) {
        if (std::find(columns.begin(), columns.end(), table.walks[w].columns.front().back()) !=
            columns.end()) {
            bits |= 1U << w;
        }
    }
    return bits;
}

namespace {

const ColumnValue* find(const ColumnValues& row, oid column) {
    const auto value = std::find_if(
        row.begin(), row.end(), [&](const ColumnValue& entry) { return entry.column == column; });
    return value == row.end() ? nullptr : &*value;
}

// The field's first source the row has, and its values; none when the row has none.
struct Found {
    const ColumnValue* value = nullptr;
    const ColumnValue* low = nullptr;  // for an overflow column
};
Found firstSource(const TableField& field, const ColumnValues& row) {
    for (const ValueSource& source : field.sources) {
        const ColumnValue* value = source.column != 0 ? find(row, source.column) : nullptr;
        if (value != nullptr && source.lowColumn == 0) {
            return {value, nullptr};
        }
        const ColumnValue* low = value != nullptr ? find(row, source.lowColumn) : nullptr;
        if (low != nullptr) {
            return {value, low};
        }
    }
    return {};
}

}  // namespace

FieldValues resolveFields(const FieldTable& table, const ColumnValues& row,
                          uint32_t* narrowFields) {
    FieldValues fields;
    for (size_t f = 0; f < table.fields.size(); ++f) {
        const Found found = firstSource(table.fields[f], row);
        if (found.value == nullptr) {
            continue;
        }
        fields.set(f, found.low == nullptr
                          ? found.value->value
                          : (found.value->value << 32) + (found.low->value & 0xffffffffU));
        if (narrowFields != nullptr && found.low == nullptr && found.value->narrow) {
            *narrowFields |= 1U << f;
        }
    }
    const bool percentage = table.rateTypeField >= 0 && fields.has(table.rateTypeField) &&
                            fields.value(table.rateTypeField) == percentageRate;
    for (size_t f = 0; f < table.fields.size(); ++f) {
        if (table.fields[f].percentOnly && !percentage) {
            fields.erase(f);
        }
    }
    return fields;
}

std::vector<oid> sourceColumns(const FieldTable& table, const ColumnValues& row) {
    std::vector<oid> columns;
    for (const TableField& field : table.fields) {
        const Found found = firstSource(field, row);
        for (const ColumnValue* value : {found.value, found.low}) {
            if (value != nullptr &&
                std::find(columns.begin(), columns.end(), value->column) == columns.end()) {
                columns.push_back(value->column);
            }
        }
    }
    return columns;
}

WalkOutcome walkTableColumns(ColumnWalker& walker, const FieldTable& table, TableColumns& read) {
    WalkOutcome stage;
    for (const StageWalk& walk : table.walks) {
        const ColumnOid column = walk.columns.front();
        const WalkOutcome outcome = walker.walk(walk, [&](Row row) {
            const std::span<const oid> name = row[0]->name();
            if (name.size() >= column.size() + indexLength(table.index)) {
                // Rates, depths and configured values are numbers whatever their tag: the
                // 64-bit gauges and configuration values travel as Counter64.
                read[rowKey(table.index, name, column.size())].push_back(
                    {column.back(), row[0]->wholeNumber(), row[0]->type() == ASN_COUNTER});
            }
        });
        stage.rows += outcome.rows;
        stage.failure = outcome.failure;
        if (stage.failed()) {
            break;
        }
    }
    return stage;
}

void keepFields(const FieldTable& table, const RowKey& key, const ColumnValues& columns,
                TableRows& rows) {
    if (FieldValues fields = resolveFields(table, columns); fields.any()) {
        rows[key] = fields;
    }
}

WalkOutcome collectTableRows(ColumnWalker& walker, const FieldTable& table, TableRows& rows,
                             TableColumns& read) {
    const WalkOutcome stage = walkTableColumns(walker, table, read);
    for (const auto& [key, columns] : read) {
        keepFields(table, key, columns, rows);
    }
    return stage;
}

std::pair<TableRows::const_iterator, TableRows::const_iterator> rowsOf(const TableRows& rows,
                                                                       uint64_t index) {
    return {rows.lower_bound({index, 0}), rows.lower_bound({index + 1, 0})};
}
