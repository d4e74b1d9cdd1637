// The object table's lookups and both listings against a plain reference kept here: linear
// scans for every lookup and a recursive descent that scans the whole table for each key.
// The routers are generated: shared configuration indices, object indices repeated across
// policies and within one, missing parents, parent loops, unknown types and long texts.
#include <gtest/gtest.h>
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "collect/columns.h"
#include "collect/stages.h"
#include "report/listing.h"
#include "tests/unit/print_listing.h"

namespace {

constexpr size_t routerSize = 2000;
constexpr uint32_t queueing = 4;

struct Object {
    uint32_t policy;
    uint32_t object;
    uint32_t config;
    uint32_t type;
    uint32_t parent;
};

// A row of one of the three configuration tables, named by its first column.
struct NameRow {
    const char* const* columns;
    uint32_t config;
    std::string name;
    std::string description;
};

struct StatsRow {
    uint32_t policy;
    uint32_t object;
    uint32_t prePolicy;
    uint32_t dropped;
};

struct Router {
    std::vector<Object> objects;
    std::vector<NameRow> names;  // in stage order: policy maps, class maps, match statements
    std::vector<StatsRow> stats;
};

[[gnu::format(printf, 2, 3)]] void appendf(std::string& out, const char* format, ...) {
    char piece[2048];
    va_list arguments;
    va_start(arguments, format);
    const int length = std::vsnprintf(piece, sizeof piece, format, arguments);
    va_end(arguments);
    out.append(piece, static_cast<size_t>(length));
}

// The table as the straightforward scans define it.
class ReferenceTable {
  public:
    struct Record {
        Object object;
        std::string name;
        std::string description;
        uint32_t prePolicy = 0;
        uint32_t dropped = 0;
    };

    void append(const Object& object) { records_.push_back({object, {}, {}}); }

    // Every record with the configuration index gets both texts, cut to 511 characters.
    void name(uint32_t config, const std::string& name, const std::string& description) {
        for (Record& record : records_) {
            if (record.object.config == config) {
                record.name = name.substr(0, 511);
                record.description = description.substr(0, 511);
            }
        }
    }

    // Only the first record with the policy and object index gets the counters.
    void count(const StatsRow& row) {
        for (Record& record : records_) {
            if (record.object.policy == row.policy && record.object.object == row.object) {
                record.prePolicy = row.prePolicy;
                record.dropped = row.dropped;
                return;
            }
        }
    }

    const std::vector<Record>& records() const { return records_; }

    std::vector<uint32_t> withConfig(uint32_t config) const {
        return matching([&](const Object& o) { return o.config == config; });
    }
    std::vector<uint32_t> childrenOf(uint32_t key) const {
        return matching([&](const Object& o) { return o.parent == key; });
    }
    uint32_t firstWith(uint32_t policy, uint32_t object) const {
        const auto found =
            matching([&](const Object& o) { return o.policy == policy && o.object == object; });
        return found.empty() ? QosObjectTable::none : found.front();
    }

    std::string flat() const {
        std::string out;
        descend(0, [&](const Record& r) { flatRow(out, r); });
        return out;
    }
    std::string tree() const {
        std::string out;
        descend(0, [&](const Record& r) { treeLine(out, r); });
        return out;
    }

  private:
    template <typename Test>
    std::vector<uint32_t> matching(Test test) const {
        std::vector<uint32_t> found;
        for (uint32_t i = 0; i < records_.size(); ++i) {
            if (test(records_[i].object)) {
                found.push_back(i);
            }
        }
        return found;
    }

    // Each call scans the whole table for the key; a record already on the path is skipped
    // with its subtree.
    template <typename Print>
    void descend(uint32_t key, Print print) const {
        std::vector<bool> onPath(records_.size(), false);
        descendFrom(key, onPath, print);
    }
    template <typename Print>
    void descendFrom(uint32_t key, std::vector<bool>& onPath, Print& print) const {
        for (size_t i = 0; i < records_.size(); ++i) {
            if (records_[i].object.parent != key || onPath[i]) {
                continue;
            }
            print(records_[i]);
            onPath[i] = true;
            descendFrom(records_[i].object.object, onPath, print);
            onPath[i] = false;
        }
    }

    static const char* typeName(uint32_t type) {
        static const char* const names[] = {"PolicyMap(1)", "ClassMap(2)",     "matchStatement(3)",
                                            "queueing(4)",  "randomDetect(5)", "trafficShaping(6)",
                                            "police(7)",    "set(8)",          "compression(9)"};
        return type >= 1 && type <= 9 ? names[type - 1] : nullptr;
    }

    static void counters(std::string& out, const Record& r) {
        if (r.prePolicy != 0) {
            appendf(out, "%13u %11u ", r.prePolicy, r.dropped);
        } else {
            out += std::string(26, ' ');
        }
    }

    static void flatRow(std::string& out, const Record& r) {
        const Object& o = r.object;
        if (o.type == queueing) {
            return;
        }
        appendf(out, "%9u %11u %12u ", o.policy, o.object, o.parent);
        if (typeName(o.type) != nullptr) {
            appendf(out, "%-17s ", typeName(o.type));
        } else {
            appendf(out, "Unknown(%u)", o.type);
        }
        appendf(out, "%11u ", o.config);
        counters(out, r);
        if (r.name.size() >= 2) {
            appendf(out, "%s ", r.name.c_str());
        }
        if (r.description.size() >= 2) {
            appendf(out, "(%s)", r.description.c_str());
        }
        out += "\n";
    }

    // Policy maps start in column 0, class maps are indented by 2, everything else by 4;
    // every tree label is 22 characters with its indentation.
    static void treeLine(std::string& out, const Record& r) {
        const uint32_t type = r.object.type;
        if (typeName(type) != nullptr) {
            const int indent = type == 1 ? 0 : type == 2 ? 2 : 4;
            appendf(out, "%*s%-*s", indent, "", 22 - indent, typeName(type));
        } else {
            appendf(out, "Unknown(%u)", type);
        }
        counters(out, r);
        if (r.name.size() >= 2) {
            appendf(out, "%s ", r.name.c_str());
        }
        if (r.description.size() >= 2) {
            appendf(out, "(%s) ", r.description.c_str());
        }
        out += "\n";
    }

    std::vector<Record> records_;
};

std::vector<oid> parseOid(const std::string& text) {
    std::vector<oid> name;
    for (size_t start = 0; start <= text.size();) {
        size_t dot = text.find('.', start);
        dot = dot == std::string::npos ? text.size() : dot;
        name.push_back(std::stoul(text.substr(start, dot - start)));
        start = dot + 1;
    }
    return name;
}

// One row of bindings made by the library, as the column walk hands it to a stage.
class WalkRow {
  public:
    struct Column {
        std::string oidText;
        u_char type;
        std::string octets;  // OCTET STRING values
        long number = 0;     // Counter32 values
    };

    explicit WalkRow(const std::vector<Column>& columns) {
        for (const Column& c : columns) {
            const std::vector<oid> name = parseOid(c.oidText);
            const bool isText = c.type == ASN_OCTET_STR;
            snmp_varlist_add_variable(
                &list_, name.data(), name.size(), c.type,
                isText ? static_cast<const void*>(c.octets.data()) : &c.number,
                isText ? c.octets.size() : sizeof c.number);
        }
        for (const netsnmp_variable_list* v = list_; v != nullptr; v = v->next_variable) {
            bindings_.emplace_back(v);
        }
        for (ResponseBinding& binding : bindings_) {
            row_.push_back(&binding);
        }
    }
    ~WalkRow() { snmp_free_varbind(list_); }
    WalkRow(const WalkRow&) = delete;
    WalkRow& operator=(const WalkRow&) = delete;

    Row row() const { return row_; }

  private:
    netsnmp_variable_list* list_ = nullptr;
    std::vector<ResponseBinding> bindings_;
    std::vector<ResponseBinding*> row_;
};

struct Shape {
    const char* name;
    uint32_t seed;
    bool sharedNumbering;  // pairs of policies number their objects alike
    bool zeroIndexRoot;    // a top-level record with object index 0: its own child
};

void PrintTo(const Shape& shape, std::ostream* os) {
    *os << shape.name;
}

// Policies of policy maps, classes, matches and actions, some nested, then damaged.
class RouterMaker {
  public:
    explicit RouterMaker(const Shape& shape) : shape_(shape), random_(shape.seed) {}

    Router make() {
        uint32_t policy = 16;
        uint32_t groupBase = 0;
        for (uint32_t n = 0; router_.objects.size() < routerSize; ++n) {
            policy += pick(1, 40);
            if (shape_.sharedNumbering) {
                groupBase = n % 2 == 0 ? nextObject_ + 1000 : groupBase;
                nextObject_ = groupBase;
            }
            addPolicy(policy, 0, true);
        }
        router_.objects.resize(routerSize - extras);
        addExtras();
        damage();
        addNames();
        addStats();
        return router_;
    }

  private:
    static constexpr size_t extras = 8;

    uint32_t pick(uint32_t low, uint32_t high) {
        return std::uniform_int_distribution<uint32_t>(low, high)(random_);
    }
    bool chance(double p) { return std::bernoulli_distribution(p)(random_); }

    uint32_t emit(uint32_t policy, uint32_t config, uint32_t type, uint32_t parent) {
        nextObject_ += shape_.sharedNumbering ? 1 : pick(1, 3);
        router_.objects.push_back({policy, nextObject_, config, type, parent});
        return nextObject_;
    }

    // Configuration pools small enough that every index recurs.
    void addPolicy(uint32_t policy, uint32_t parent, bool top) {
        const uint32_t map = emit(policy, 100 + pick(0, 4), 1, parent);
        for (uint32_t c = pick(1, 5); c > 0; --c) {
            const uint32_t cls = emit(policy, 200 + pick(0, 11), 2, map);
            for (uint32_t m = pick(1, 2); m > 0; --m) {
                emit(policy, 300 + pick(0, 9), 3, cls);
            }
            for (uint32_t a = pick(0, 3); a > 0; --a) {
                emit(policy, 400 + pick(0, 19), pick(4, 9), cls);
            }
            if (top && chance(0.2)) {
                addPolicy(policy, cls, false);
            }
        }
    }

    Object& any() { return router_.objects[pick(0, router_.objects.size() - 1)]; }

    // Records whose (policy, object) pair is already taken, placed anywhere in the table.
    void addExtras() {
        for (size_t i = 0; i < extras; ++i) {
            Object copy = any();
            copy.config = 200 + pick(0, 11);
            copy.type = i % 2 == 0 ? 2 : copy.type;
            if (shape_.zeroIndexRoot && i == 0) {
                copy = {copy.policy, 0, 100, 1, 0};
            }
            router_.objects.insert(router_.objects.begin() + pick(0, router_.objects.size()), copy);
        }
    }

    // Missing parents, self loops, re-parenting onto an object of the same policy (a loop
    // whenever that object lies below) and unknown object types.
    void damage() {
        std::vector<Object>& objects = router_.objects;
        for (size_t i = 0; i < objects.size(); ++i) {
            Object& o = objects[i];
            const uint32_t kind = i < 4 ? static_cast<uint32_t>(i) : pick(0, 60);
            if (kind == 0) {
                o.parent = 900'000 + pick(0, 99);
            } else if (kind == 1) {
                o.parent = o.object;
            } else if (kind == 2) {
                for (size_t j = i + 1; j < objects.size() && objects[j].policy == o.policy; ++j) {
                    if (chance(0.5)) {
                        o.parent = objects[j].object;
                        break;
                    }
                }
            } else if (kind == 3) {
                const uint32_t unknown[] = {0, 10, 4294967295U};
                o.type = unknown[pick(0, 2)];
            }
        }
    }

    std::string text(const char* stem, uint32_t config) {
        switch (pick(0, 7)) {
            case 0:
                return "";
            case 1:
                return "x";  // a single character is not shown
            case 2:
                return std::string(600, static_cast<char>('A' + config % 26));  // cut to 511
            default:
                return stem + std::to_string(config) + (chance(0.5) ? " with spaces" : "");
        }
    }

    // Rows in index order, as the walks deliver them. An index with no record, an index in
    // two tables (the later stage wins) and an action's index named by the match table.
    void addNames() {
        const struct {
            const char* const* columns;
            std::vector<uint32_t> configs;
            const char* stem;
        } tables[] = {
            {policyMapColumns, {100, 101, 102, 103, 104, 150, 205}, "POLICY-"},
            {classMapColumns,
             {200, 201, 202, 203, 204, 205, 206, 207, 208, 209, 210, 211, 250},
             "CLASS-"},
            {matchStatementColumns,
             {300, 301, 302, 303, 304, 305, 306, 307, 308, 309, 400},
             "match "},
        };
        for (const auto& table : tables) {
            for (uint32_t config : table.configs) {
                router_.names.push_back({table.columns, config, text(table.stem, config),
                                         text("Description ", config)});
            }
        }
    }

    // Counters for most objects of class type, for pairs no record has, and twice for one
    // pair (the later row wins); zero, 2^31 and 2^32 - 1 among the values.
    void addStats() {
        std::set<std::pair<uint32_t, uint32_t>> rows;
        for (const Object& o : router_.objects) {
            if (o.type == 2 && chance(0.9)) {
                rows.insert({o.policy, o.object});
            }
        }
        for (uint32_t i = 0; i < 20; ++i) {
            rows.insert({any().policy, 800'000 + i});
        }
        const uint32_t values[] = {0, 1, 7, 2147483648U, 4294967295U};
        for (const auto& [policy, object] : rows) {
            router_.stats.push_back({policy, object,
                                     chance(0.3) ? values[pick(0, 4)] : pick(0, 1'000'000),
                                     chance(0.3) ? values[pick(0, 4)] : pick(0, 1000)});
        }
        router_.stats.push_back(router_.stats.front());
        router_.stats.back().prePolicy = 12345;
    }

    Shape shape_;
    std::mt19937 random_;
    Router router_;
    uint32_t nextObject_ = 1000;
};

std::string indexed(const char* column, uint32_t a) {
    return std::string(column) + "." + std::to_string(a);
}
std::string indexed(const char* column, uint32_t a, uint32_t b) {
    return indexed(column, a) + "." + std::to_string(b);
}

// Fills the real table through appendObject and the name and statistics row handlers, and
// the reference through its scans.
void fill(const Router& router, QosObjectTable& table, ReferenceTable& reference) {
    for (const Object& o : router.objects) {
        ASSERT_TRUE(table.appendObject(o.policy, o.object, o.config, o.type, o.parent));
        reference.append(o);
    }
    for (const NameRow& row : router.names) {
        const WalkRow walkRow(
            {{indexed(row.columns[0], row.config), ASN_OCTET_STR, row.name},
             {indexed(row.columns[1], row.config), ASN_OCTET_STR, row.description}});
        storeConfigNameRow(table, walkRow.row());
        reference.name(row.config, row.name, row.description);
    }
    for (const StatsRow& row : router.stats) {
        const WalkRow walkRow({{indexed(queueStatsColumns[0], row.policy, row.object), ASN_COUNTER,
                                "", row.prePolicy},
                               {indexed(queueStatsColumns[1], row.policy, row.object), ASN_COUNTER,
                                "", row.dropped}});
        storeQueueStatsRow(table, walkRow.row());
        reference.count(row);
    }
}

std::vector<uint32_t> chain(const QosObjectTable& table, uint32_t first,
                            uint32_t (QosObjectTable::*next)(uint32_t) const) {
    std::vector<uint32_t> records;
    for (uint32_t i = first; i != QosObjectTable::none; i = (table.*next)(i)) {
        records.push_back(i);
    }
    return records;
}

class ListingReference : public testing::TestWithParam<Shape> {
  protected:
    void SetUp() override {
        router_ = RouterMaker(GetParam()).make();
        fill(router_, table_, reference_);
    }

    Router router_;
    QosObjectTable table_{routerSize};
    ReferenceTable reference_;
};

TEST_P(ListingReference, EveryRecordHoldsWhatTheScansGive) {
    ASSERT_EQ(reference_.records().size(), table_.recordCount());
    for (uint32_t i = 0; i < table_.recordCount(); ++i) {
        const QosObjectRecord& got = table_.record(i);
        const ReferenceTable::Record& want = reference_.records()[i];
        SCOPED_TRACE("record " + std::to_string(i));
        EXPECT_EQ(want.object.policy, got.policyNum);
        EXPECT_EQ(want.object.type, got.objectType);
        EXPECT_EQ(want.object.object, got.objectIndex);
        EXPECT_EQ(want.object.config, got.configIndex);
        EXPECT_EQ(want.object.parent, got.parentObject);
        EXPECT_EQ(want.name, got.name);
        EXPECT_EQ(want.description, got.description);
        EXPECT_EQ(want.prePolicy, got.prePolicyPkts);
        EXPECT_EQ(want.dropped, got.droppedPkts);
    }
}

TEST_P(ListingReference, LookupsFindWhatTheScansFind) {
    std::set<uint32_t> configs = {0, 150, 250, 999};
    std::set<uint32_t> keys = {0, 1, 900'000, 4294967295U};
    std::set<std::pair<uint32_t, uint32_t>> pairs = {{0, 0}, {16, 800'000}};
    for (const Object& o : router_.objects) {
        configs.insert(o.config);
        keys.insert({o.object, o.parent});
        pairs.insert({o.policy, o.object});
        pairs.insert({o.policy + 1, o.object});
    }
    for (uint32_t config : configs) {
        EXPECT_EQ(reference_.withConfig(config), chain(table_, table_.firstWithConfigIndex(config),
                                                       &QosObjectTable::nextWithConfigIndex))
            << "configuration index " << config;
    }
    for (uint32_t key : keys) {
        EXPECT_EQ(reference_.childrenOf(key),
                  chain(table_, table_.firstChild(key), &QosObjectTable::nextSibling))
            << "parent key " << key;
    }
    for (const auto& [policy, object] : pairs) {
        const QosObjectRecord* found = table_.findByPolicyObject(policy, object);
        const uint32_t index = found == nullptr ? QosObjectTable::none
                                                : static_cast<uint32_t>(found - &table_.record(0));
        EXPECT_EQ(reference_.firstWith(policy, object), index) << policy << "." << object;
    }
}

TEST_P(ListingReference, BothListingsMatchTheReferenceDescent) {
    const std::string flat = reference_.flat();
    const std::string tree = reference_.tree();
    EXPECT_EQ(flat, print(printFlatListing, table_));
    EXPECT_EQ(tree, print(printTreeListing, table_));
    // The damage must leave most of the router reachable, or the comparison says little.
    EXPECT_GT(std::count(tree.begin(), tree.end(), '\n'), 1500);
}

const Shape shapes[] = {
    {"UniqueObjectIndices", 1, false, false},    {"UniqueObjectIndicesOtherSeed", 2, false, false},
    {"PoliciesNumberedAlike", 3, true, false},   {"PoliciesNumberedAlikeOtherSeed", 4, true, false},
    {"TopLevelObjectIndexZero", 5, false, true},
};

INSTANTIATE_TEST_SUITE_P(GeneratedRouters, ListingReference, testing::ValuesIn(shapes),
                         [](const testing::TestParamInfo<Shape>& info) { return info.param.name; });

}  // namespace
