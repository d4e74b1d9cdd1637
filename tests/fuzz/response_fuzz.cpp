// Fuzzes the path from a response's bindings to rows and reports: value rendering, the column
// walk's grouping and guards, every stage's row handler, both listings and both documents of
// what is stored.
// Input: a byte choosing the stage, then bindings: column, OID form, count of sub-identifiers,
// sub-identifiers, type, value length (2 bytes), value.
#include <cstdint>
#include <cstdio>
#include <vector>

#include "collect/stages.h"
#include "report/json_document.h"
#include "report/listing.h"
#include "report/metrics_document.h"
#include "report/text_report.h"

namespace {

struct Stage {
    const StageWalk& walk;
    void (*handle)(QosObjectTable&, Row);
};

FILE* sink() {
    static FILE* devNull = std::fopen("/dev/null", "w");
    return devNull;
}

const Stage stages[] = {
    {servicePolicyWalk,
     [](QosObjectTable&, Row row) { TextReport(sink()).servicePolicy(readServicePolicyRow(row)); }},
    {servicePolicyTypedWalk,
     [](QosObjectTable&, Row row) { TextReport(sink()).servicePolicy(readServicePolicyRow(row)); }},
    {policyObjectWalk, [](QosObjectTable& t, Row row) { storePolicyObjectRow(t, row); }},
    {policyMapWalk, storeConfigNameRow},
    {classMapWalk, storeConfigNameRow},
    {matchStatementWalk, storeConfigNameRow},
    {classPacketWalk,
     [](QosObjectTable& t, Row row) {
         storeClassStatisticsRow(t, row, listedClassStatistics(false)[0]);
     }},
    {classPacket64Walk,
     [](QosObjectTable& t, Row row) {
         storeClassStatisticsRow(t, row, listedClassStatistics(true)[0]);
     }},
    {classStatisticsTable().walks[3],
     [](QosObjectTable& t, Row row) {
         // The documents' counter rule, as the counter polls apply it to one class's columns.
         if (QosObjectRecord* record = t.findByPolicyObject(1, 1)) {
             setDocumentedCounters(record->counters,
                                   {{row[0]->name().empty() ? 0 : row[0]->name().back(),
                                     row[0]->wholeNumber(), row[0]->type() == ASN_COUNTER}});
         }
     }},
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool quiet = [] {
        snmp_disable_log();  // the library complains of every value type it cannot store
        return true;
    }();
    (void)quiet;
    size_t at = 0;
    const auto byte = [&] { return at < size ? data[at++] : uint8_t{0}; };
    const Stage& stage = stages[byte() % std::size(stages)];
    netsnmp_pdu* pdu = snmp_pdu_create(SNMP_MSG_RESPONSE);
    while (at < size) {
        // Below one of the stage's columns (the usual case), or made up whole.
        std::vector<oid> name;
        const ColumnOid column = stage.walk.columns[byte() % stage.walk.columns.size()];
        name.assign(column.begin(), column.end());
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
    RunResult run;
    run.agent = "192.0.2.1";
    run.servicePolicies = {{0, 2, 1, 1, "Gi0/0"}};
    run.stages = {{"objects", "failed"}};
    run.table = QosObjectTable(24);
    for (uint32_t i = 0; i < 8; ++i) {
        run.table.appendObject(i % 2, i, i, i + 1, i / 2);
    }
    RunContext context;
    ColumnCursor(stage.walk.columns)
        .takeGroups(
            response, [&](Row row) { stage.handle(run.table, row); }, context);
    printFlatListing(run.table, sink());
    printTreeListing(run.table, sink());
    writeJsonDocument(run, sink());
    writeMetricsDocument(run, sink());
    return 0;
}
