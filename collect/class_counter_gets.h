// GETs of the class statistics of classes already known: each class's counters asked together,
// so they come in one response, and as many classes to a request as a response of about 1,400
// bytes holds (as -fast's walks fill theirs), several requests in flight.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "collect/field_table.h"
#include "collect/object_table.h"
#include "collect/run_context.h"
#include "snmp/session.h"

// A class with statistics: its row index in cbQosCMStatsTable and which of the documents'
// counter columns are read for it, bit i for documentedClassStatisticsWalks()[i].
struct ClassInstance {
    uint32_t policyIndex = 0;
    uint32_t objectIndex = 0;
    uint32_t record = 0;  // in the tree's object table
    uint32_t walks = 0;
};

struct ClassReading {
    ClassCounters counters;
    uint32_t answeredWalks = 0;  // the columns the agent answered for this class
    ColumnValues columns;        // their values
    uint32_t narrowKinds = 0;    // bit per ClassCounters::Kind: read from a Counter32
    // When the response that carried them arrived: rates divide by the time between these.
    std::chrono::steady_clock::time_point arrival;
};

// What one round of counter reads gives.
struct CounterPoll {
    std::vector<ClassReading> classes;  // one per class asked, in the same order
    std::optional<uint32_t> sysUpTime;  // hundredths of a second, when asked and answered
    std::optional<std::chrono::system_clock::time_point> firstAnswer;
    // The statistics rows name objects the tree does not hold, or its classes no longer answer.
    bool configurationChanged = false;
    std::string failure;  // the failure line when the reads could not finish
    bool failed() const { return !failure.empty(); }
};

// GETs each class's walks and, with `withUptime`, sysUpTime.0, adding them to `readings` (one
// per class: columns read before, or none). A class none of whose walks answer keeps the
// answeredWalks it came with. Ends at the first failed exchange.
CounterPoll getClassCounters(RunContext& context, SnmpSession& session,
                             std::span<const ClassInstance> classes, bool withUptime,
                             std::vector<ClassReading> readings = {});
