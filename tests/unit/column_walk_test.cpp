// The column walk's grouping, its ends and the requests it builds, on response PDUs made here;
// and the response's binding lookup. The error status is tested against real agents.
#include "collect/column_walk.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "collect/columns.h"
#include "snmp/render.h"

namespace {

const std::string direction = servicePolicyColumns[0];  // 1.3.6.1.4.1.9.9.166.1.1.1.1.3
const std::string ifIndex = servicePolicyColumns[1];    // 1.3.6.1.4.1.9.9.166.1.1.1.1.4
const std::string nextColumn = "1.3.6.1.4.1.9.9.166.1.1.1.1.5";
const std::string configIndex = policyObjectColumns[0];
const std::string objectType = policyObjectColumns[1];
const std::string parentObject = policyObjectColumns[2];

std::vector<oid> parseOid(std::string_view text) {
    std::vector<oid> name;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t dot = std::min(text.find('.', start), text.size());
        name.push_back(std::stoul(std::string(text.substr(start, dot - start))));
        start = dot + 1;
    }
    return name;
}

struct Binding {
    std::string name;
    long value = 0;
    u_char type = ASN_INTEGER;
};

Binding exception(std::string name, u_char type = SNMP_ENDOFMIBVIEW) {
    return {std::move(name), 0, type};
}

std::unique_ptr<SnmpResponse> response(const std::vector<Binding>& bindings) {
    netsnmp_pdu* pdu = snmp_pdu_create(SNMP_MSG_RESPONSE);
    for (const Binding& binding : bindings) {
        const std::vector<oid> name = parseOid(binding.name);
        const bool isInteger = binding.type == ASN_INTEGER;
        snmp_pdu_add_variable(pdu, name.data(), name.size(), binding.type,
                              isInteger ? &binding.value : nullptr,
                              isInteger ? sizeof binding.value : 0);
    }
    return std::make_unique<SnmpResponse>(pdu);
}

// The OIDs the walk's next request asks for, checked to be null-valued.
std::vector<std::string> nextRequest(const ColumnWalk& walk) {
    netsnmp_pdu* pdu = snmp_pdu_create(SNMP_MSG_GETBULK);
    walk.addRequestBindings(pdu);
    std::vector<std::string> names;
    for (const netsnmp_variable_list* v = pdu->variables; v != nullptr; v = v->next_variable) {
        EXPECT_EQ(v->type, ASN_NULL);
        names.push_back(formatOid(v->name, v->name_length));
    }
    snmp_free_pdu(pdu);
    return names;
}

// Every group handed on, as "oid = value" texts in column order.
struct Rows {
    std::vector<std::vector<std::string>> rows;
    RowHandler handler() {
        return [this](std::span<ResponseBinding* const> row) {
            std::vector<std::string> texts;
            for (ResponseBinding* binding : row) {
                texts.push_back(binding->oidText() + " = " + binding->valueText());
            }
            rows.push_back(texts);
        };
    }
};

// A service policy row: direction and ifIndex of one policy.
std::vector<Binding> policyRow(const std::string& index, long dir, long interface) {
    return {{direction + "." + index, dir}, {ifIndex + "." + index, interface}};
}

std::vector<Binding> join(std::initializer_list<std::vector<Binding>> parts) {
    std::vector<Binding> all;
    for (const auto& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

std::vector<Binding> objectRow(const std::string& index, long config, long type, long parent) {
    return {{configIndex + "." + index, config},
            {objectType + "." + index, type},
            {parentObject + "." + index, parent}};
}

// Each group is one binding per column, in column order; the next request asks for the
// successors of the last complete group, so a trailing part-group is asked for again.
TEST(ColumnWalk, GroupsOfOneBindingPerColumn) {
    struct GroupCase {
        std::span<const char* const> columns;
        std::vector<Binding> bindings;
        size_t groups;
        std::string lastIndex;  // of the last complete group
    };
    const GroupCase cases[] = {
        {servicePolicyColumns,
         join({policyRow("1", 1, 7), policyRow("2", 2, 7), policyRow("3", 1, 8),
               policyRow("4", 2, 8)}),
         4, "4"},
        {servicePolicyColumns,
         join({policyRow("1", 1, 7),
               policyRow("2", 2, 7),
               policyRow("3", 1, 8),
               {{direction + ".4", 2}}}),
         3, "3"},
        {policyObjectColumns,
         join({objectRow("1062.1", 1063, 1, 0), objectRow("1062.1065", 1064, 2, 1),
               objectRow("1062.1067", 1066, 3, 1065)}),
         3, "1062.1067"},
        {policyObjectColumns,
         join({objectRow("1062.1", 1063, 1, 0),
               objectRow("1062.1065", 1064, 2, 1),
               {{configIndex + ".1062.1067", 1066}, {objectType + ".1062.1067", 3}}}),
         2, "1062.1065"},
    };
    for (const GroupCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.bindings.size()) + " bindings");
        ColumnWalk walk(c.columns);
        Rows seen;
        EXPECT_TRUE(walk.takeGroups(*response(c.bindings), seen.handler()));
        ASSERT_EQ(seen.rows.size(), c.groups);
        std::vector<std::string> next;
        for (size_t column = 0; column < c.columns.size(); ++column) {
            next.push_back(std::string(c.columns[column]) + "." + c.lastIndex);
            EXPECT_EQ(walk.buffer(column), next.back());
            for (size_t group = 0; group < c.groups; ++group) {
                const Binding& b = c.bindings[group * c.columns.size() + column];
                EXPECT_EQ(seen.rows[group][column], b.name + " = " + std::to_string(b.value));
            }
        }
        EXPECT_EQ(nextRequest(walk), next);
    }
}

// 29 characters of column OID, 88 sub-identifiers of 11 characters each with its dot, then
// `tail`: ".9" makes 999 characters, ".99" 1000.
std::string longOid(const std::string& column, const char* tail) {
    std::string text = column;
    for (int i = 0; i < 88; ++i) {
        text += ".4294967295";
    }
    return text + tail;
}

// Whether the walk goes on after one response, and how many groups it handed on first.
TEST(ColumnWalk, HandsOnAndEnds) {
    struct EndCase {
        const char* name;
        bool goesOn;
        size_t handled;
        std::vector<Binding> bindings;
    };
    const EndCase cases[] = {
        {"tableEnds", false, 2,
         join({policyRow("1", 1, 7),
               policyRow("2", 2, 7),
               {{ifIndex + ".1", 7}, {ifIndex + ".2", 7}}})},
        {"agentWithoutTheTable", false, 0, {{ifIndex + ".1", 7}, {ifIndex + ".2", 7}}},
        {"columnOidItself", false, 0, {{direction, 1}, {ifIndex, 7}}},
        // Column 30 starts with column 3's text: the prefix's trailing dot tells them apart.
        {"column30", false, 0, {{direction + "0.1", 1}, {ifIndex + "0.1", 7}}},
        {"endOfMibView", false, 0, {exception(direction + ".5"), {ifIndex + ".5", 7}}},
        {"noSuchObject",
         false,
         0,
         {exception(direction + ".5", SNMP_NOSUCHOBJECT), {ifIndex + ".5", 7}}},
        {"noSuchInstance",
         false,
         0,
         {exception(direction + ".5", SNMP_NOSUCHINSTANCE), {ifIndex + ".5", 7}}},
        // Only column 1 is tested: the other columns are handed on wherever they are.
        {"exceptionInColumn2", true, 1, {{direction + ".5", 1}, exception(ifIndex + ".5")}},
        {"column2LeftItsColumn", true, 1, {{direction + ".9", 2}, {nextColumn + ".1", 0}}},
        {"rowsGoBackward", false, 2,
         join({policyRow("5", 1, 7), policyRow("7", 1, 7), policyRow("6", 1, 7)})},
        {"sameRowAgain", false, 1, join({policyRow("5", 1, 7), policyRow("5", 1, 7)})},
        {"fewerBindingsThanColumns", false, 0, {{direction + ".1", 1}}},
        {"noBindings", false, 0, {}},
        {"oidOf999", true, 1, {{longOid(direction, ".9"), 1}, {longOid(ifIndex, ".9"), 7}}},
        {"oidOver999InColumn1", false, 0, {{longOid(direction, ".99"), 1}, {ifIndex + ".1", 7}}},
        {"oidOver999InColumn2", false, 0, {{direction + ".1", 1}, {longOid(ifIndex, ".99"), 7}}},
    };
    for (const EndCase& c : cases) {
        ColumnWalk walk(servicePolicyColumns);
        Rows seen;
        EXPECT_EQ(walk.takeGroups(*response(c.bindings), seen.handler()), c.goesOn) << c.name;
        EXPECT_EQ(seen.rows.size(), c.handled) << c.name;
    }
}

TEST(ColumnWalk, EndsWhenTheNextResponseDoesNotAdvance) {
    for (const char* index : {"6", "3"}) {
        ColumnWalk walk(servicePolicyColumns);
        Rows seen;
        ASSERT_TRUE(walk.takeGroups(*response(join({policyRow("5", 1, 7), policyRow("6", 2, 7)})),
                                    seen.handler()));
        EXPECT_FALSE(walk.takeGroups(*response(join({policyRow(index, 1, 7)})), seen.handler()))
            << index;
        EXPECT_EQ(seen.rows.size(), 2U) << index;
    }
}

TEST(SnmpResponse, BindingsOutsideOneToCountAreTheInvalidBinding) {
    const auto reply = response(policyRow("225", 2, 7));
    ASSERT_EQ(reply->bindingCount(), 2);
    EXPECT_EQ(reply->binding(1).oidText(), direction + ".225");
    EXPECT_EQ(reply->binding(2).valueText(), "7");
    ResponseBinding& invalid = ResponseBinding::invalid();
    for (int32_t index : {0, -1, 3, INT32_MIN, INT32_MAX}) {
        ResponseBinding& binding = reply->binding(index);
        EXPECT_EQ(&binding, &invalid) << index;
        EXPECT_EQ(binding.variable(), nullptr) << index;
        EXPECT_EQ(binding.oidText(), "INVALID") << index;
        EXPECT_EQ(binding.valueText(), "INVALID") << index;
    }

    const auto empty = response({});
    EXPECT_EQ(empty->bindingCount(), 0);
    EXPECT_EQ(&empty->binding(1), &invalid);
}

}  // namespace
