// A router's QoS tree as the counter polls read it: walked once, then shared unchanged by every
// poll until the configuration changes (the exporter's cache and the watch both hold these).
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "collect/row_gets.h"
#include "collect/run_result.h"

// A class map with a statistics row, and its record in the tree's object table.
struct ClassInstance {
    KnownRow row;
    uint32_t record = 0;
};

// A statistics row of an action, in the table at this position of actionTables().
struct ActionInstance {
    KnownRow row;
    size_t table = 0;
};

// A class's counters as one poll read them.
struct ClassReading {
    ClassCounters counters;
    uint32_t narrowKinds = 0;  // bit per ClassCounters::Kind: read from a Counter32
    std::chrono::steady_clock::time_point arrival;  // of the response that carried the most
};

// What one round of counter reads gives.
struct CounterPoll {
    std::vector<ClassReading> classes;  // one per class of the tree, in its order
    std::vector<RowReading> actions;    // one per action row of the tree, in its order
    std::optional<uint32_t> sysUpTime;  // hundredths of a second, when asked and answered
    std::optional<std::chrono::system_clock::time_point> firstAnswer;
    // The statistics rows name objects the tree does not hold, or its rows no longer answer.
    bool configurationChanged = false;
    std::string failure;  // the failure line when the reads could not finish
    bool failed() const { return !failure.empty(); }
};

struct TreeSnapshot {
    // The documents' result without counters: service policies with their interface types,
    // names and speeds, the objects with their names, the actions' configuration, the stages
    // that ran.
    RunResult tree;
    // Every class map with a statistics row, in table order, each with the counter columns that
    // give it the documents' values: a 64-bit column read instead of the 32-bit ones.
    std::vector<ClassInstance> classes;
    // Whether the polls read the actions' counters, and the rows they read, by the same rule.
    bool actionCounters = false;
    std::vector<ActionInstance> actions;
    // A counter column of the documents that every class has: a poll walks it to see which
    // classes exist now. None when the classes share no column.
    std::optional<size_t> presenceWalk;
    // The failure lines of the walks that found the classes' and the actions' rows and columns.
    std::string classesFailure;
    std::string actionsFailure;
    std::chrono::steady_clock::time_point walkedAt;

    // Every stage and the reads after them ran to their end.
    bool complete() const;
    // The first failure line, when not complete.
    std::string failure() const;
};

// A walk of the tree: the snapshot, and what the walk read of the counters.
struct WalkedTree {
    std::shared_ptr<const TreeSnapshot> tree;
    RunResult documents;  // the walk's own documents result, its counters included
    CounterPoll poll;     // its class counters, one reading per class of the snapshot
};

// The documents' stages on an open session (the action counter stage with `actionCounters`);
// the statistics walks show the rows and columns the polls ask for.
WalkedTree walkTree(RunContext& context, SnmpSession& session, bool fast, bool actionCounters);
