// Fuzzes everything between a response's variable bindings and the rows they become:
// rendering by type, the column walk's grouping, guards and prefix test, the decimal
// conversion and index scans of every stage's row handler, and both listings.
//
// Input: one byte choosing the stage, then bindings, each as
//   column, OID form, sub-identifier count, sub-identifiers, type, value length (2 bytes), value.
#include <cstdint>
#include <cstdio>
#include <vector>

#include "collect/column_walk.h"
#include "collect/columns.h"
#include "collect/stages.h"
#include "report/listing.h"

namespace {

class FuzzInput {
  public:
    FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool empty() const { return position_ >= size_; }
    uint8_t byte() { return empty() ? 0 : data_[position_++]; }
    uint32_t word() {
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            value = (value << 8) | byte();
        }
        return value;
    }
    std::vector<u_char> bytes(size_t count) {
        const size_t available = std::min(count, size_ - std::min(position_, size_));
        std::vector<u_char> taken(data_ + position_, data_ + position_ + available);
        position_ += available;
        return taken;
    }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
};

struct Stage {
    std::span<const char* const> columns;
    void (*handle)(QosObjectTable&, Row);
};

const Stage stages[] = {
    {servicePolicyColumns, [](QosObjectTable&, Row row) { printServicePolicyRow(row); }},
    {policyObjectColumns, [](QosObjectTable& t, Row row) { storePolicyObjectRow(t, row); }},
    {policyMapColumns, storeConfigNameRow},
    {classMapColumns, storeConfigNameRow},
    {matchStatementColumns, storeConfigNameRow},
    {queueStatsColumns, [](QosObjectTable& t, Row row) { storeQueueStatsRow(t, row, false); }},
    {queueStats64Columns, [](QosObjectTable& t, Row row) { storeQueueStatsRow(t, row, true); }},
};

std::vector<oid> parseColumn(std::string_view text) {
    std::vector<oid> name;
    oid subid = 0;
    for (char c : text) {
        if (c == '.') {
            name.push_back(subid);
            subid = 0;
        } else {
            subid = subid * 10 + static_cast<oid>(c - '0');
        }
    }
    name.push_back(subid);
    return name;
}

// An OID below one of the stage's columns (the usual case), or one made up whole.
std::vector<oid> readName(FuzzInput& in, const Stage& stage) {
    const uint8_t column = in.byte();
    const uint8_t form = in.byte();
    std::vector<oid> name;
    if ((form & 1) == 0) {
        name = parseColumn(stage.columns[column % stage.columns.size()]);
    }
    const size_t count = in.byte() % (MAX_OID_LEN + 8);
    for (size_t i = 0; i < count && name.size() < MAX_OID_LEN; ++i) {
        name.push_back((form & 2) != 0 ? in.word() : in.byte());
    }
    return name;
}

void addBinding(FuzzInput& in, const Stage& stage, netsnmp_pdu* pdu) {
    const std::vector<oid> name = readName(in, stage);
    const u_char type = in.byte();
    const size_t length = (static_cast<size_t>(in.byte()) << 8) | in.byte();
    const std::vector<u_char> value = in.bytes(length);
    snmp_pdu_add_variable(pdu, name.data(), name.size(), type, value.data(), value.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FILE* sink = [] {
        std::freopen("/dev/null", "w", stdout);  // the service policy rows
        snmp_disable_log();  // the library complains of every value type it cannot store
        return std::fopen("/dev/null", "w");
    }();

    FuzzInput in(data, size);
    const Stage& stage = stages[in.byte() % std::size(stages)];
    netsnmp_pdu* pdu = snmp_pdu_create(SNMP_MSG_RESPONSE);
    while (!in.empty()) {
        addBinding(in, stage, pdu);
    }
    SnmpResponse response(pdu);

    // A few records with small indices, so that name and statistics rows find something, and
    // a small capacity, so that the policy objects fill it.
    QosObjectTable table(24);
    for (uint32_t i = 0; i < 8; ++i) {
        table.appendObject(i % 2, i, i, i + 1, i / 2);
    }
    ColumnWalk walk(stage.columns);
    walk.takeGroups(response, [&](Row row) { stage.handle(table, row); });

    printFlatListing(table, sink);
    printTreeListing(table, sink);
    return 0;
}
