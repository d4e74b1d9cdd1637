// Fuzzes the path from a response's bindings to rows and reports: value rendering, the column
// walk's grouping and guards, every stage's row handler, both listings and both documents of
// what is stored.
// Input: a byte choosing the stage, then bindings: column, OID form, count of sub-identifiers,
// sub-identifiers, type, value length (2 bytes), value.
#include <cstdint>
#include <cstdio>
#include <vector>

#include "collect/column_walk.h"
#include "collect/columns.h"
#include "collect/stages.h"
#include "report/json_document.h"
#include "report/listing.h"
#include "report/metrics_document.h"

namespace {

struct Stage {
    std::span<const char* const> columns;
    void (*handle)(QosObjectTable&, Row);
};

constexpr const char* counterColumn[] = {"1.3.6.1.4.1.9.9.166.1.15.1.1.6"};

const Stage stages[] = {
    {servicePolicyColumns, [](QosObjectTable&, Row row) { printServicePolicyRow(row); }},
    {servicePolicyTypedColumns, [](QosObjectTable&, Row row) { printServicePolicyRow(row); }},
    {policyObjectColumns, [](QosObjectTable& t, Row row) { storePolicyObjectRow(t, row); }},
    {policyMapColumns, storeConfigNameRow},
    {classMapColumns, storeConfigNameRow},
    {matchStatementColumns, storeConfigNameRow},
    {queueStatsColumns, [](QosObjectTable& t, Row row) { storeQueueStatsRow(t, row, false); }},
    {queueStats64Columns, [](QosObjectTable& t, Row row) { storeQueueStatsRow(t, row, true); }},
    {counterColumn,
     [](QosObjectTable& t, Row row) {
         storeClassCounterRow(t, row, "1.3.6.1.4.1.9.9.166.1.15.1.1.6.",
                              ClassCounters::prePolicyBytes);
     }},
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FILE* sink = [] {
        std::freopen("/dev/null", "w", stdout);  // the service policy rows
        snmp_disable_log();  // the library complains of every value type it cannot store
        return std::fopen("/dev/null", "w");
    }();
    size_t at = 0;
    const auto byte = [&] { return at < size ? data[at++] : uint8_t{0}; };
    const Stage& stage = stages[byte() % std::size(stages)];
    netsnmp_pdu* pdu = snmp_pdu_create(SNMP_MSG_RESPONSE);
    while (at < size) {
        // Below one of the stage's columns (the usual case), or made up whole.
        std::vector<oid> name(1, 0);
        for (const char* c = stage.columns[byte() % stage.columns.size()]; *c != '\0'; ++c) {
            *c == '.' ? name.push_back(0) : void(name.back() = name.back() * 10 + (*c - '0'));
        }
        const uint8_t form = byte();
        name.resize((form & 1) != 0 ? 0 : name.size());
        for (size_t n = byte() % (MAX_OID_LEN + 8); n > 0 && name.size() < MAX_OID_LEN; --n) {
            name.push_back((form & 2) != 0 ? oid{byte()} << 24 | byte() << 16 | byte() : byte());
        }
        const u_char type = byte();
        const size_t length = std::min<size_t>(byte() << 8 | byte(), size - at);
        snmp_pdu_add_variable(pdu, name.data(), name.size(), type, data + at, length);
        at += length;
    }
    SnmpResponse response(pdu);
    // Records with small indices, for name and statistics rows to find, in a table they can fill.
    QosObjectTable table(24);
    for (uint32_t i = 0; i < 8; ++i) {
        table.appendObject(i % 2, i, i, i + 1, i / 2);
    }
    ColumnCursor(stage.columns).takeGroups(response, [&](Row row) { stage.handle(table, row); });
    printFlatListing(table, sink);
    printTreeListing(table, sink);
    const RunRecord run{"192.0.2.1", {{0, 2, 1, 1, "Gi0/0"}}, {{"objects", "failed"}}, 0};
    writeJsonDocument(table, run, sink);
    writeMetricsDocument(table, run, sink);
    return 0;
}
