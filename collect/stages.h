// The collection stages of a run, in the order the runs call them, and the row handlers they
// hand to the column walk.
#pragma once

#include <array>
#include <span>
#include <vector>

#include "collect/column_walk.h"
#include "collect/field_table.h"
#include "collect/object_table.h"
#include "collect/run_result.h"
#include "collect/walker.h"

// cbQosServicePolicyTable with the mode's columns (the text report's two, or the documents'
// three with the interface type): which policy sits on which interface, in which direction.
// Each row goes to the context as it is read.
WalkOutcome collectServicePolicies(ColumnWalker& walker, const StageWalk& walk,
                                   std::vector<ServicePolicy>& policies);
ServicePolicy readServicePolicyRow(Row row);

// Fills the table with every QoS object; a warning counts the rows that did not fit.
WalkOutcome collectPolicyObjects(ColumnWalker& walker, QosObjectTable& table);
// False when the row was not stored because the table is full.
bool storePolicyObjectRow(QosObjectTable& table, Row row);

// Names and descriptions of policy maps, class maps and match statements.
WalkOutcome collectPolicyMapNames(ColumnWalker& walker, QosObjectTable& table);
WalkOutcome collectClassMapNames(ColumnWalker& walker, QosObjectTable& table);
WalkOutcome collectMatchStatements(ColumnWalker& walker, QosObjectTable& table);
void storeConfigNameRow(QosObjectTable& table, Row row);

// One walk of cbQosCMStatsTable and the counter each of its columns fills.
struct ClassStatisticsWalk {
    const StageWalk& walk;
    std::array<ClassCounters::Kind, 2> kinds;  // of the walk's columns, in order
    bool wholeCounters;  // a Counter64 read whole; else every value as a 32-bit number
};
// The class statistics the text report lists: pre-policy and dropped packets from the 32-bit
// columns, or with `highCapacity` from the 64-bit ones.
std::span<const ClassStatisticsWalk> listedClassStatistics(bool highCapacity);
// Makes the walks in order; ends at the first failed one.
WalkOutcome collectClassStatistics(ColumnWalker& walker, QosObjectTable& table,
                                   std::span<const ClassStatisticsWalk> walks);
void storeClassStatisticsRow(QosObjectTable& table, Row row, const ClassStatisticsWalk& walk);
// Every counter a class can have, for the documents: one walk per column, since routers give
// different subsets, each counter from its 64-bit column, else its overflow and low columns.
const FieldTable& classStatisticsTable();
// Walks them into the table's classes; `read` keeps the columns each row gave.
WalkOutcome collectDocumentedClassStatistics(ColumnWalker& walker, QosObjectTable& table,
                                             TableColumns& read);
// The class counters of one row of cbQosCMStatsTable by the documents' rule; the counter polls
// read their GETs by it too. With `narrowKinds`, bit k is set where counter k came from a
// Counter32.
void setDocumentedCounters(ClassCounters& counters, const ColumnValues& row,
                           uint32_t* narrowKinds = nullptr);

// The name of each service policy's interface: ifName, else ifDescr, by GET for just the
// interfaces in the table; "control-plane" for a control-plane policy. Then the speed of the
// same interfaces: ifHighSpeed, else ifSpeed where ifHighSpeed is 0 or missing.
WalkOutcome collectInterfaceNames(RunContext& context, SnmpSession& session,
                                  std::vector<ServicePolicy>& policies);
