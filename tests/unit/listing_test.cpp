// The flat and tree listings: labels and column widths, the texts and counters shown, and the
// depth-first descent, including parent links that loop and very deep chains.
#include "report/listing.h"
#include "tests/unit/print_listing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Object {
    uint32_t policy;
    uint32_t index;
    uint32_t parent;
    uint32_t type;
    const char* name = "";
    const char* description = "";
    uint32_t prePolicy = 0;
    uint32_t dropped = 0;
};

// Each object's configuration index is 40 + its object index.
void fill(QosObjectTable& table, const std::vector<Object>& objects) {
    for (const Object& o : objects) {
        ASSERT_TRUE(table.appendObject(o.policy, o.index, 40 + o.index, o.type, o.parent));
        QosObjectRecord& record = table.record(table.recordCount() - 1);
        record.setTexts(o.name, o.description);
        record.prePolicyPkts = o.prePolicy;
        record.droppedPkts = o.dropped;
    }
}

std::string flat(const QosObjectTable& table) {
    return print(printFlatListing, table);
}
std::string tree(const QosObjectTable& table) {
    return print(printTreeListing, table);
}

struct LabelCase {
    uint32_t type;
    const char* flatRow;
    const char* treeLine;
};

// A top-level object 2 of policy 1, configuration index 42, 7 packets and none dropped. The
// labels of types 1 to 8 are in the bundled router's listings (e2e test_report).
const LabelCase labelCases[] = {
    {9,
     "        1           2            0 compression(9)             42             7           0 "
     "NAME (DESC)\n",
     "    compression(9)                7           0 NAME (DESC) \n"},
    // Unknown types have no padding, so the rest of the row moves left.
    {0,
     "        1           2            0 Unknown(0)         42             7           0 "
     "NAME (DESC)\n",
     "Unknown(0)            7           0 NAME (DESC) \n"},
    {10,
     "        1           2            0 Unknown(10)         42             7           0 "
     "NAME (DESC)\n",
     "Unknown(10)            7           0 NAME (DESC) \n"},
    {4294967295U,
     "        1           2            0 Unknown(4294967295)         42             7           0 "
     "NAME (DESC)\n",
     "Unknown(4294967295)            7           0 NAME (DESC) \n"},
};

TEST(Listing, LabelsAndColumnWidthsByObjectType) {
    for (const LabelCase& c : labelCases) {
        SCOPED_TRACE(c.type);
        QosObjectTable table(4);
        fill(table, {{1, 2, 0, c.type, "NAME", "DESC", 7, 0}});
        EXPECT_EQ(c.flatRow, flat(table));
        EXPECT_EQ(c.treeLine, tree(table));
    }
}

struct TextCase {
    const char* name;
    const char* description;
    const char* flatEnd;  // what follows the configuration index
    const char* treeEnd;  // what follows the label
};

const char* const emptyCounters = "                          ";

// Texts of fewer than 2 characters are not shown; counters are hidden without pre-policy
// packets, whatever was dropped.
TEST(Listing, TextsAndCountersShown) {
    const TextCase cases[] = {
        {"", "", "", ""},
        {"N", "D", "", ""},
        {"NA", "", "NA ", "NA "},
        {"", "DE", "(DE)", "(DE) "},
        {"N", "DE", "(DE)", "(DE) "},
        {"NA", "D", "NA ", "NA "},
        {"VOICE\tRTP", "tab\tinside", "VOICE\tRTP (tab\tinside)", "VOICE\tRTP (tab\tinside) "},
    };
    for (const TextCase& c : cases) {
        SCOPED_TRACE(std::string(c.name) + "|" + c.description);
        QosObjectTable table(4);
        fill(table, {{1, 2, 0, 2, c.name, c.description, 0, 5}});
        EXPECT_EQ(std::string("        1           2            0 ClassMap(2)                42 ") +
                      emptyCounters + c.flatEnd + "\n",
                  flat(table));
        EXPECT_EQ(std::string("  ClassMap(2)         ") + emptyCounters + c.treeEnd + "\n",
                  tree(table));
    }
}

TEST(Listing, LargestCountersFillTheirColumns) {
    QosObjectTable table(4);
    fill(table, {{4294967295U, 4294967295U, 0, 2, "", "", 4294967295U, 4294967295U}});
    table.record(0).configIndex = 4294967295U;
    EXPECT_EQ(
        "4294967295  4294967295            0 ClassMap(2)        4294967295    4294967295  "
        "4294967295 \n",
        flat(table));
    EXPECT_EQ("  ClassMap(2)            4294967295  4294967295 \n", tree(table));
}

// The name of each listed object, to follow the descent. Known labels put the texts at a
// fixed column: 91 in the flat listing, 48 in the tree.
std::vector<std::string> names(const std::string& listing, size_t textColumn) {
    std::vector<std::string> result;
    size_t start = 0;
    for (size_t end; (end = listing.find('\n', start)) != std::string::npos; start = end + 1) {
        // Every name ends in the one space that separates it from the description.
        result.push_back(listing.substr(start + textColumn, end - start - textColumn - 1));
    }
    return result;
}

std::vector<std::string> flatNames(const QosObjectTable& table) {
    return names(flat(table), 91);
}
std::vector<std::string> treeNames(const QosObjectTable& table) {
    return names(tree(table), 48);
}

using Names = std::vector<std::string>;

TEST(Listing, DepthFirstWithSiblingsInTableOrder) {
    QosObjectTable table(16);
    fill(table, {
                    {1, 1, 0, 1, "PM-A"},
                    {1, 2, 1, 2, "CLASS-A1"},
                    {1, 3, 1, 2, "CLASS-A2"},
                    {1, 4, 2, 3, "MATCH-A1"},
                    {1, 5, 3, 3, "MATCH-A2"},
                    {1, 6, 2, 4, "QUEUE-A1"},
                    {1, 7, 6, 5, "RED-UNDER-QUEUE"},
                    {2, 8, 0, 1, "PM-B"},
                    {2, 9, 99, 2, "ORPHAN"},
                    {2, 10, 9, 3, "ORPHAN-MATCH"},
                });
    // ORPHAN's parent is in no record: neither it nor its child is reached.
    EXPECT_EQ(
        "PolicyMap(1)                                    PM-A \n"
        "  ClassMap(2)                                   CLASS-A1 \n"
        "    matchStatement(3)                           MATCH-A1 \n"
        "    queueing(4)                                 QUEUE-A1 \n"
        "    randomDetect(5)                             RED-UNDER-QUEUE \n"
        "  ClassMap(2)                                   CLASS-A2 \n"
        "    matchStatement(3)                           MATCH-A2 \n"
        "PolicyMap(1)                                    PM-B \n",
        tree(table));
    // The queueing action has no flat row, but what sits below it is still listed.
    EXPECT_EQ(
        (Names{"PM-A", "CLASS-A1", "MATCH-A1", "RED-UNDER-QUEUE", "CLASS-A2", "MATCH-A2", "PM-B"}),
        flatNames(table));
}

// Children are the records of the same policy whose parent is the record's object index; only
// the first record of a (policy, object) pair has children, and object index 0 none. So each
// record is listed at most once, and parent links that loop end.
TEST(Listing, DescentByParentIndex) {
    struct DescentCase {
        const char* what;
        std::vector<Object> objects;
        Names expected;
    };
    const DescentCase cases[] = {
        {"object indices shared by two policies",
         {{1, 1, 0, 1, "PM-1"},
          {1, 2, 1, 2, "CM-1"},
          {2, 1, 0, 1, "PM-2"},
          {2, 2, 1, 2, "CM-2"},
          {2, 3, 2, 3, "MATCH"}},
         {"PM-1", "CM-1", "PM-2", "CM-2", "MATCH"}},
        {"a (policy, object) pair twice: the first has the children",
         {{1, 1, 0, 1, "PM"}, {1, 2, 1, 2, "FIRST"}, {1, 2, 1, 2, "SECOND"}, {1, 3, 2, 3, "MATCH"}},
         {"PM", "FIRST", "MATCH", "SECOND"}},
        {"own parent",
         {{1, 1, 0, 1, "PM"}, {1, 5, 1, 2, "ENTRY"}, {1, 5, 5, 2, "SELF"}},
         {"PM", "ENTRY", "SELF"}},
        {"A and B each other's parent",
         {{1, 1, 0, 1, "PM"},
          {1, 2, 3, 2, "CLASS-A"},
          {1, 3, 2, 2, "CLASS-B"},
          {1, 4, 1, 2, "ENTRY"},
          {1, 3, 4, 2, "CLASS-B2"}},
         {"PM", "ENTRY", "CLASS-B2"}},
        {"top level with object index 0",
         {{1, 0, 0, 1, "ZERO"}, {1, 4, 0, 1, "OTHER"}, {1, 5, 4, 2, "CLASS"}},
         {"ZERO", "OTHER", "CLASS"}},
        {"two top-level records with object index 0",
         {{1, 0, 0, 1, "ZERO-1"}, {2, 0, 0, 1, "ZERO-2"}},
         {"ZERO-1", "ZERO-2"}},
        {"a loop not reached from the top",
         {{1, 1, 0, 1, "PM"}, {1, 2, 3, 2, "CLASS-A"}, {1, 3, 2, 2, "CLASS-B"}},
         {"PM"}},
    };
    for (const DescentCase& c : cases) {
        SCOPED_TRACE(c.what);
        QosObjectTable table(16);
        fill(table, c.objects);
        EXPECT_EQ(c.expected, flatNames(table));
        EXPECT_EQ(c.expected, treeNames(table));
    }
}

// The descent must not use the call stack per level: a full table can be one chain.
TEST(Listing, ChainOfOneHundredThousandNestedRecords) {
    QosObjectTable table;
    for (uint32_t i = 0; i < 100'000; ++i) {
        ASSERT_TRUE(table.appendObject(1, i + 1, 7, 2, i));
    }
    table.record(99'999).setTexts("DEEPEST", "");
    for (Listing listing : {Listing(printFlatListing), Listing(printTreeListing)}) {
        const std::string text = print(listing, table);
        EXPECT_EQ(100'000, std::count(text.begin(), text.end(), '\n'));
        EXPECT_TRUE(text.ends_with(std::string(emptyCounters) + "DEEPEST \n"));
    }
}

}  // namespace
