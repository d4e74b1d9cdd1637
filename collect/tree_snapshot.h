// A router's QoS tree as the counter polls read it: walked once, then shared unchanged by every
// poll until the configuration changes (the exporter's cache and the watch both hold these).
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "collect/class_counter_gets.h"
#include "collect/run_result.h"

struct TreeSnapshot {
    // The documents' result without counters: service policies with their interface types,
    // names and speeds, the objects with their names, the actions' configuration, the stages
    // that ran.
    RunResult tree;
    // Every class map with a statistics row, in table order, each with the counter columns that
    // give it the documents' values: a 64-bit column read instead of the 32-bit ones.
    std::vector<ClassInstance> classes;
    // A counter column of the documents that every class has: a poll walks it to see which
    // classes exist now. None when the classes share no column.
    std::optional<size_t> presenceWalk;
    // The failure line of the walk that found the classes' columns.
    std::string classesFailure;
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
// the class statistics walk shows the columns each class has.
WalkedTree walkTree(RunContext& context, SnmpSession& session, bool fast, bool actionCounters);
