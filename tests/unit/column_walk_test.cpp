// The column walk fed with made-up responses: the guards that end a walk, the hand-over at a
// -fast range's bound, and runs that must stop: before sending, or at their deadline.
#include <gtest/gtest.h>

#include <vector>

#include "collect/fast_walk.h"
#include "collect/runs.h"
#include "silent_agent.h"
#include "snmp/library.h"
#include "snmp/session.h"

namespace {

struct Binding {
    std::vector<oid> name;
    u_char type = ASN_INTEGER;
};

// cbQosPolicyDirection or cbQosIfIndex (column 3 or 4) of service policy `row`.
Binding cell(oid column, oid row) {
    std::vector<oid> name(cbQosPolicyDirection.begin(), cbQosPolicyDirection.end());
    name.back() = column;
    name.push_back(row);
    return {name};
}

std::unique_ptr<SnmpResponse> response(const std::vector<Binding>& bindings, long status = 0) {
    const LibraryLock lock;
    netsnmp_pdu* pdu = snmp_pdu_create(SNMP_MSG_RESPONSE);
    pdu->errstat = status;
    const long value = 7;
    for (const Binding& b : bindings) {
        snmp_pdu_add_variable(pdu, b.name.data(), b.name.size(), b.type, &value, sizeof value);
    }
    return std::make_unique<SnmpResponse>(pdu);
}

std::vector<Binding> rows(std::initializer_list<oid> indices) {
    std::vector<Binding> bindings;
    for (oid index : indices) {
        bindings.push_back(cell(3, index));
        bindings.push_back(cell(4, index));
    }
    return bindings;
}

TEST(ColumnWalk, EndsWhereTheAgentGoesWrong) {
    std::vector<Binding> leftColumn = rows({225}), exception = rows({225, 226}),
                         tooLong = rows({225, 226});
    leftColumn.push_back(cell(4, 226));
    leftColumn.push_back(cell(5, 226));
    exception[2].type = SNMP_NOSUCHINSTANCE;
    tooLong[2].name.insert(tooLong[2].name.end(), 107, 4294967295);  // 1,206 characters
    const struct {
        const char* name;
        std::vector<Binding> bindings;
        uint32_t rows;
        bool goesOn;
    } cases[] = {
        {"whole rows", rows({225, 226}), 2, true},
        {"a part row waits for the next request",
         [] {
             auto b = rows({225});
             b.push_back(cell(3, 226));
             return b;
         }(),
         1, true},
        {"less than a row", {cell(3, 225)}, 0, false},
        {"out of the first column", leftColumn, 1, false},
        {"an exception value", exception, 1, false},
        {"the same row again", rows({225, 225}), 1, false},
        {"backwards", rows({225, 224}), 1, false},
        {"an OID too long to follow", tooLong, 1, false},
    };
    for (const auto& c : cases) {
        RunContext context;
        ColumnCursor cursor(servicePolicyColumns);
        uint32_t handled = 0;
        const bool goesOn = cursor.takeGroups(
            *response(c.bindings), [&](Row) { ++handled; }, context);
        EXPECT_EQ(std::pair(c.rows, c.goesOn), std::pair(handled, goesOn)) << c.name;
    }
}

TEST(RangeWalk, HandsOverAtTheBoundAndCancelsLaterRangesWhenShort) {
    RunContext context;
    SnmpSession target;
    RangeWalk first(servicePolicyWalk, std::nullopt, 226);
    RangeWalk second(servicePolicyWalk, 226, 300);
    first.setNextRange(&second);
    EXPECT_FALSE(first.take(response(rows({225, 226, 227})), context, target));
    EXPECT_EQ(RangeWalk::End::bound, first.end());
    EXPECT_EQ(1U, first.rows().count());
    EXPECT_TRUE(second.take(response(rows({227, 228})), context, target));
    EXPECT_EQ(2U, second.rows().count());

    // A range that ends short of its bound: the default walk would have stopped there.
    RangeWalk shortFirst(servicePolicyWalk, std::nullopt, 226);
    RangeWalk later(servicePolicyWalk, 226, std::nullopt);
    shortFirst.setNextRange(&later);
    EXPECT_FALSE(shortFirst.take(response(rows({225, 224})), context, target));
    EXPECT_EQ(RangeWalk::End::table, shortFirst.end());
    EXPECT_EQ(RangeWalk::End::cancelled, later.end());
}

TEST(ColumnWalk, ARunThatMustStopSendsNothingMoreAndSaysWhy) {
    std::atomic<bool> cancelled = true;
    for (const StopCondition& stop : {StopCondition{std::chrono::steady_clock::now(), nullptr},
                                      StopCondition{{}, &cancelled}}) {
        RunContext context({}, stop);
        SnmpSession target;
        const WalkOutcome outcome =
            walkColumns(context, target, servicePolicyWalk, [](Row) { FAIL(); });
        EXPECT_EQ(0U, context.requests());
        EXPECT_EQ(stop.cancelled ? "Stopped: the run was cancelled."
                                 : "Stopped: the run's deadline passed.",
                  outcome.failure);
    }
}

// A run against an agent that never answers, stopped by its deadline: every stage says so, and
// the run is back soon after the deadline, not after the requests' time-outs.
TEST(Runs, ADeadlineAbandonsTheRequestsInFlightAndFailsTheStagesLeft) {
    static SnmpLibrary library;
    const SilentAgent agent;
    ASSERT_TRUE(agent.bound());
    SnmpSettings settings;
    settings.version = SnmpVersion::v2c;
    settings.community = "public";
    settings.agentName = settings.agentAddress = "127.0.0.1";
    settings.port = agent.port();
    for (const bool fast : {false, true}) {
        const auto start = std::chrono::steady_clock::now();
        RunContext context({}, StopCondition{start + std::chrono::milliseconds(300), nullptr});
        const RunResult result = collectForDocuments(context, settings, {fast, false});
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1)) << fast;
        ASSERT_EQ(9U, result.stages.size());
        for (const StageResult& stage : result.stages) {
            EXPECT_EQ("Stopped: the run's deadline passed.", stage.failure) << stage.name;
        }
    }
}

}  // namespace
