// The object table: lookups and chains in table order, capacity and the cut of long texts.
#include "collect/object_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Row {
    uint32_t policy;
    uint32_t object;
    uint32_t config;
    uint32_t parent;
};

void append(QosObjectTable& table, const std::vector<Row>& rows) {
    for (const Row& row : rows) {
        ASSERT_TRUE(table.appendObject(row.policy, row.object, row.config, 2, row.parent));
    }
}

using Step = uint32_t (QosObjectTable::*)(uint32_t) const;

// Every record of one chain in table order: `first` of the key, then `next` of each record.
std::vector<uint32_t> chain(const QosObjectTable& table, Step first, Step next, uint32_t key) {
    std::vector<uint32_t> records;
    for (uint32_t i = (table.*first)(key); i != QosObjectTable::none; i = (table.*next)(i)) {
        records.push_back(i);
    }
    return records;
}

std::vector<uint32_t> withConfigIndex(const QosObjectTable& table, uint32_t config) {
    return chain(table, &QosObjectTable::firstWithConfigIndex, &QosObjectTable::nextWithConfigIndex,
                 config);
}

std::vector<uint32_t> childrenOf(const QosObjectTable& table, uint32_t record) {
    return chain(table, &QosObjectTable::firstChild, &QosObjectTable::nextSibling, record);
}

std::vector<uint32_t> topLevel(const QosObjectTable& table) {
    std::vector<uint32_t> records;
    for (uint32_t i = table.firstTopLevel(); i != QosObjectTable::none; i = table.nextSibling(i)) {
        records.push_back(i);
    }
    return records;
}

// One policy map attached to three interfaces: its configuration indices recur in every
// instance, and the same object indices recur under different policies.
const std::vector<Row> threeInstances = {
    {10, 1, 100, 0}, {10, 2, 200, 1}, {10, 3, 300, 2}, {20, 1, 100, 0}, {20, 2, 200, 1},
    {20, 3, 300, 2}, {30, 1, 100, 0}, {30, 2, 200, 1}, {30, 3, 300, 2}, {30, 4, 100, 99},
};

// Children belong to their own policy instance.
TEST(ObjectTable, ChainsHoldEveryRecordInTableOrder) {
    QosObjectTable table(16);
    append(table, threeInstances);
    EXPECT_EQ((std::vector<uint32_t>{0, 3, 6, 9}), withConfigIndex(table, 100));
    EXPECT_EQ((std::vector<uint32_t>{1, 4, 7}), withConfigIndex(table, 200));
    EXPECT_EQ((std::vector<uint32_t>{2, 5, 8}), withConfigIndex(table, 300));
    EXPECT_EQ(std::vector<uint32_t>{}, withConfigIndex(table, 400));
    EXPECT_EQ((std::vector<uint32_t>{0, 3, 6}), topLevel(table));
    EXPECT_EQ((std::vector<uint32_t>{1}), childrenOf(table, 0));
    EXPECT_EQ((std::vector<uint32_t>{4}), childrenOf(table, 3));
    EXPECT_EQ((std::vector<uint32_t>{8}), childrenOf(table, 7));
    EXPECT_EQ(std::vector<uint32_t>{}, childrenOf(table, 9));
}

TEST(ObjectTable, FindByPolicyObjectTakesTheFirstRecordOfThePair) {
    QosObjectTable table(16);
    append(table, threeInstances);
    append(table, {{20, 2, 999, 1}});  // the same pair again, later in the table
    EXPECT_EQ(&table.record(4), table.findByPolicyObject(20, 2));
    EXPECT_EQ(&table.record(7), table.findByPolicyObject(30, 2));
    EXPECT_EQ(nullptr, table.findByPolicyObject(40, 2));
    EXPECT_EQ(nullptr, table.findByPolicyObject(10, 4));
}

TEST(ObjectTable, ClearTableForgetsRecordsAndChains) {
    QosObjectTable table(16);
    append(table, threeInstances);
    table.record(0).setTexts("OLD-NAME", "old description");
    table.clearTable();
    EXPECT_EQ(0u, table.recordCount());
    EXPECT_EQ(nullptr, table.findByPolicyObject(10, 1));
    append(table, {{50, 1, 100, 0}});
    EXPECT_EQ((std::vector<uint32_t>{0}), withConfigIndex(table, 100));
    EXPECT_EQ((std::vector<uint32_t>{0}), topLevel(table));
    EXPECT_EQ("", table.record(0).name);
    EXPECT_EQ("", table.record(0).description);
    EXPECT_EQ(50u, table.record(0).policyNum);
}

TEST(ObjectTable, HoldsOneHundredThousandRecordsAndRefusesMore) {
    QosObjectTable table;
    for (uint32_t i = 0; i < 100'000; ++i) {
        ASSERT_TRUE(table.appendObject(1, i + 1, 7, 2, i));
    }
    EXPECT_FALSE(table.appendObject(2, 1, 8, 2, 0));
    EXPECT_EQ(100'000u, table.recordCount());
    EXPECT_EQ(100'000u, table.record(99'999).objectIndex);
    EXPECT_EQ(QosObjectTable::none, table.firstWithConfigIndex(8));
    EXPECT_EQ(nullptr, table.findByPolicyObject(2, 1));
}

struct CutCase {
    size_t length;
    size_t kept;
};

TEST(ObjectTable, TextsAreCutTo511Characters) {
    const CutCase cases[] = {{0, 0},     {1, 1},     {255, 255}, {510, 510},
                             {511, 511}, {512, 511}, {600, 511}, {5000, 511}};
    for (const CutCase& c : cases) {
        SCOPED_TRACE(c.length);
        QosObjectRecord record;
        std::string name(c.length, 'n');
        std::string description(c.length, 'd');
        if (c.length > 0) {
            name.back() = 'N';  // the last character is lost once the text is cut
        }
        record.setTexts(name, description);
        EXPECT_EQ(name.substr(0, c.kept), record.name);
        EXPECT_EQ(description.substr(0, c.kept), record.description);
    }
}

}  // namespace
