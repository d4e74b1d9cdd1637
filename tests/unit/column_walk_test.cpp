// The column walk's grouping, its ends and the requests it builds, on response PDUs made here;
// and the response's error code and binding lookup.
#include "collect/column_walk.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "collect/columns.h"
#include "collect/debug.h"
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

Binding exception(std::string name, u_char type) {
    return {std::move(name), 0, type};
}

std::unique_ptr<SnmpResponse> response(const std::vector<Binding>& bindings, long errstat = 0) {
    netsnmp_pdu* pdu = snmp_pdu_create(SNMP_MSG_RESPONSE);
    pdu->errstat = errstat;
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

TEST(ColumnWalk, FirstRequestAsksForTheColumnsThemselves) {
    EXPECT_EQ(nextRequest(ColumnWalk(servicePolicyColumns)),
              (std::vector<std::string>{direction, ifIndex}));
    EXPECT_EQ(nextRequest(ColumnWalk(policyObjectColumns)),
              (std::vector<std::string>{configIndex, objectType, parentObject}));
}

TEST(ColumnWalk, EightBindingsInTwoColumnsAreFourGroups) {
    ColumnWalk walk(servicePolicyColumns);
    Rows seen;
    const auto reply = response(join(
        {policyRow("1", 1, 7), policyRow("2", 2, 7), policyRow("3", 1, 8), policyRow("4", 2, 8)}));
    EXPECT_TRUE(walk.takeGroups(*reply, seen.handler()));
    ASSERT_EQ(seen.rows.size(), 4U);
    EXPECT_EQ(seen.rows[0], (std::vector<std::string>{direction + ".1 = 1", ifIndex + ".1 = 7"}));
    EXPECT_EQ(seen.rows[3], (std::vector<std::string>{direction + ".4 = 2", ifIndex + ".4 = 8"}));
    EXPECT_EQ(nextRequest(walk), (std::vector<std::string>{direction + ".4", ifIndex + ".4"}));
    EXPECT_EQ(walk.buffer(0), direction + ".4");
    EXPECT_EQ(walk.buffer(1), ifIndex + ".4");
}

TEST(ColumnWalk, SevenBindingsInTwoColumnsAreThreeGroups) {
    ColumnWalk walk(servicePolicyColumns);
    Rows seen;
    const auto reply = response(join({policyRow("1", 1, 7),
                                      policyRow("2", 2, 7),
                                      policyRow("3", 1, 8),
                                      {{direction + ".4", 2}}}));
    EXPECT_TRUE(walk.takeGroups(*reply, seen.handler()));
    EXPECT_EQ(seen.rows.size(), 3U);
    // The next request starts from bindings 5 and 6: the trailing binding is asked for again.
    EXPECT_EQ(nextRequest(walk), (std::vector<std::string>{direction + ".3", ifIndex + ".3"}));
}

std::vector<Binding> objectRow(const std::string& index, long config, long type, long parent) {
    return {{configIndex + "." + index, config},
            {objectType + "." + index, type},
            {parentObject + "." + index, parent}};
}

TEST(ColumnWalk, NineBindingsInThreeColumnsAreThreeGroups) {
    ColumnWalk walk(policyObjectColumns);
    Rows seen;
    const auto reply =
        response(join({objectRow("1062.1", 1063, 1, 0), objectRow("1062.1065", 1064, 2, 1),
                       objectRow("1062.1067", 1066, 3, 1065)}));
    EXPECT_TRUE(walk.takeGroups(*reply, seen.handler()));
    ASSERT_EQ(seen.rows.size(), 3U);
    EXPECT_EQ(seen.rows[2], (std::vector<std::string>{configIndex + ".1062.1067 = 1066",
                                                      objectType + ".1062.1067 = 3",
                                                      parentObject + ".1062.1067 = 1065"}));
    EXPECT_EQ(nextRequest(walk),
              (std::vector<std::string>{configIndex + ".1062.1067", objectType + ".1062.1067",
                                        parentObject + ".1062.1067"}));
}

TEST(ColumnWalk, EightBindingsInThreeColumnsAreTwoGroups) {
    ColumnWalk walk(policyObjectColumns);
    Rows seen;
    const auto reply =
        response(join({objectRow("1062.1", 1063, 1, 0),
                       objectRow("1062.1065", 1064, 2, 1),
                       {{configIndex + ".1062.1067", 1066}, {objectType + ".1062.1067", 3}}}));
    EXPECT_TRUE(walk.takeGroups(*reply, seen.handler()));
    EXPECT_EQ(seen.rows.size(), 2U);
    // Positions 4 to 6; 7 and 8 were not looked at.
    EXPECT_EQ(nextRequest(walk),
              (std::vector<std::string>{configIndex + ".1062.1065", objectType + ".1062.1065",
                                        parentObject + ".1062.1065"}));
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

struct EndCase {
    const char* name;
    std::vector<Binding> bindings;
    size_t handled;  // groups handed on
    bool goesOn;     // whether the walk sends another request
};

void PrintTo(const EndCase& c, std::ostream* os) {
    *os << c.name;
}

const EndCase endCases[] = {
    {"tableEndsInsideTheResponse",
     join({policyRow("1", 1, 7), policyRow("2", 2, 7), {{ifIndex + ".1", 7}, {ifIndex + ".2", 7}}}),
     2, false},
    {"agentWithoutTheTable", {{ifIndex + ".1", 7}, {ifIndex + ".2", 7}}, 0, false},
    {"columnOidItself", {{direction, 1}, {ifIndex, 7}}, 0, false},
    // Starts with the column's text but is column 30: the prefix's trailing dot tells them apart.
    {"columnWithTheSameLeadingDigits", {{direction + "0.1", 1}, {ifIndex + "0.1", 7}}, 0, false},
    {"endOfMibViewInColumnOne",
     {exception(direction + ".5", SNMP_ENDOFMIBVIEW), {ifIndex + ".5", 7}},
     0,
     false},
    {"noSuchObjectInColumnOne",
     {exception(direction + ".5", SNMP_NOSUCHOBJECT), {ifIndex + ".5", 7}},
     0,
     false},
    {"noSuchInstanceInColumnOne",
     {exception(direction + ".5", SNMP_NOSUCHINSTANCE), {ifIndex + ".5", 7}},
     0,
     false},
    // Only column 1 is tested: the other columns are handed on wherever they are.
    {"exceptionInColumnTwoOnly",
     {{direction + ".5", 1}, exception(ifIndex + ".5", SNMP_ENDOFMIBVIEW)},
     1,
     true},
    {"columnTwoLeftItsColumn", {{direction + ".9", 2}, {nextColumn + ".1", 0}}, 1, true},
    {"rowsGoBackward", join({policyRow("5", 1, 7), policyRow("7", 1, 7), policyRow("6", 1, 7)}), 2,
     false},
    {"sameRowAgain", join({policyRow("5", 1, 7), policyRow("5", 1, 7)}), 1, false},
    {"fewerBindingsThanColumns", {{direction + ".1", 1}}, 0, false},
    {"noBindings", {}, 0, false},
    {"oidTextOf999Characters",
     {{longOid(direction, ".9"), 1}, {longOid(ifIndex, ".9"), 7}},
     1,
     true},
    {"oidTextOver999InColumnOne", {{longOid(direction, ".99"), 1}, {ifIndex + ".1", 7}}, 0, false},
    {"oidTextOver999InColumnTwo", {{direction + ".1", 1}, {longOid(ifIndex, ".99"), 7}}, 0, false},
};

class EndTest : public testing::TestWithParam<EndCase> {};

TEST_P(EndTest, HandsOnAndEnds) {
    const EndCase& c = GetParam();
    ColumnWalk walk(servicePolicyColumns);
    Rows seen;
    EXPECT_EQ(walk.takeGroups(*response(c.bindings), seen.handler()), c.goesOn);
    EXPECT_EQ(seen.rows.size(), c.handled);
}

INSTANTIATE_TEST_SUITE_P(ColumnWalk, EndTest, testing::ValuesIn(endCases),
                         [](const auto& info) { return std::string(info.param.name); });

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

TEST(ColumnWalk, DebugPrintsTheOidLinesOfTheEndingGroupToo) {
    ColumnWalk walk(servicePolicyColumns);
    Rows seen;
    const auto reply = response(join({policyRow("225", 1, 7),
                                      {{ifIndex + ".225", 7}},
                                      {exception(ifIndex + ".225", SNMP_ENDOFMIBVIEW)}}));
    debugMode = 1;
    testing::internal::CaptureStdout();
    const bool goesOn = walk.takeGroups(*reply, seen.handler());
    const std::string printed = testing::internal::GetCapturedStdout();
    debugMode = 0;
    EXPECT_FALSE(goesOn);
    EXPECT_EQ(seen.rows.size(), 1U);
    EXPECT_EQ(printed,
              "OID1: 1.3.6.1.4.1.9.9.166.1.1.1.1.3.225 = 1\n"
              "OID2: 1.3.6.1.4.1.9.9.166.1.1.1.1.4.225 = 7\n"
              "OID1: 1.3.6.1.4.1.9.9.166.1.1.1.1.4.225 = 7\n"
              "OID2: 1.3.6.1.4.1.9.9.166.1.1.1.1.4.225 = UNKNOWN\n");
}

TEST(SnmpResponse, ErrorCodeIsTheErrorStatusFromOneTo18) {
    const std::pair<long, int32_t> cases[] = {{0, 0}, {-1, 0}, {19, 0}, {1, 1}, {5, 5}, {18, 18}};
    for (const auto& [errstat, code] : cases) {
        EXPECT_EQ(response({}, errstat)->errorCode(), code) << "errstat " << errstat;
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
