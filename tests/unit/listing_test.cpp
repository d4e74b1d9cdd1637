// The listings' rule of descent: children are the records of the same policy whose parent is the
// record's object index; only the first record of a (policy, object) pair has children and object
// index 0 has none, so each record is listed at most once. End-to-end cases pin the columns.
#include "report/listing.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Object {
    uint32_t policy, index, parent, type;
    const char* name;
};

// The names in the order the listings print them, checked to be the same in both.
std::string names(const std::vector<Object>& objects) {
    QosObjectTable table(16);
    for (const Object& o : objects) {
        table.appendObject(o.policy, o.index, 40, o.type, o.parent);
        table.record(table.recordCount() - 1).setTexts(o.name, "");
    }
    std::string listed[2];
    for (auto print : {printFlatListing, printTreeListing}) {
        char* text = nullptr;
        size_t size = 0;
        FILE* out = open_memstream(&text, &size);
        print(table, out);
        std::fclose(out);
        std::istringstream lines(std::string(text, size));
        std::free(text);
        for (std::string line; std::getline(lines, line);) {  // each ends in "NAME "
            listed[print == printTreeListing] += line.substr(line.rfind(' ', line.size() - 2) + 1);
        }
    }
    EXPECT_EQ(listed[0], listed[1]);
    return listed[1];
}

TEST(Listing, EachRecordOnceUnderItsOwnPolicy) {
    // clang-format off
    const std::pair<std::vector<Object>, const char*> cases[] = {
        {{{1, 1, 0, 1, "PM-1"}, {1, 2, 1, 2, "CM-1"}, {2, 1, 0, 1, "PM-2"}, {2, 2, 1, 2, "CM-2"},
          {2, 3, 2, 3, "MATCH"}}, "PM-1 CM-1 PM-2 CM-2 MATCH "},
        // The same (policy, object) pair twice: the first record has the children.
        {{{1, 1, 0, 1, "PM"}, {1, 2, 1, 2, "FIRST"}, {1, 2, 1, 2, "SECOND"}, {1, 3, 2, 3, "MATCH"}},
         "PM FIRST MATCH SECOND "},
        // Loops inside one policy: an own parent, two records each other's parent.
        {{{1, 1, 0, 1, "PM"}, {1, 5, 1, 2, "ENTRY"}, {1, 5, 5, 2, "SELF"}}, "PM ENTRY SELF "},
        {{{1, 1, 0, 1, "PM"}, {1, 2, 3, 2, "A"}, {1, 3, 2, 2, "B"}, {1, 4, 1, 2, "ENTRY"},
          {1, 3, 4, 2, "B2"}}, "PM ENTRY B2 "},
        // Object index 0 is the top level's key, never a parent; orphans are not reached.
        {{{1, 0, 0, 1, "ZERO"}, {2, 0, 0, 1, "ZERO-2"}, {1, 4, 0, 1, "PM"}, {1, 5, 4, 2, "CLASS"},
          {1, 8, 99, 2, "ORPHAN"}}, "ZERO ZERO-2 PM CLASS "}};
    // clang-format on
    for (const auto& [objects, expected] : cases) {
        EXPECT_EQ(expected, names(objects));
    }
}

}  // namespace
