// The six collection stages of a run, in the order the run calls them, and the row handlers
// they hand to the column walk.
#pragma once

#include <span>

#include <vector>

#include "collect/column_walk.h"
#include "collect/object_table.h"
#include "collect/run_record.h"
#include "collect/walker.h"

class SnmpSession;

// Prints which policy is attached to which interface, in which direction. Returns the policy
// index of every row, in table order.
std::vector<uint32_t> collectServicePolicies(ColumnWalker& walker);
void printServicePolicyRow(Row row);
// The same table with the interface types, kept for the documents instead of printed.
WalkOutcome collectServicePolicyTable(ColumnWalker& walker, std::vector<ServicePolicy>& policies);

// Fills the table with every QoS object; a line on standard error counts the rows that did
// not fit.
WalkOutcome collectPolicyObjects(ColumnWalker& walker, QosObjectTable& table);
// False when the row was not stored because the table is full.
bool storePolicyObjectRow(QosObjectTable& table, Row row);

// Names and descriptions of policy maps, class maps and match statements.
WalkOutcome collectPolicyMapNames(ColumnWalker& walker, QosObjectTable& table);
WalkOutcome collectClassMapNames(ColumnWalker& walker, QosObjectTable& table);
WalkOutcome collectMatchStatements(ColumnWalker& walker, QosObjectTable& table);
void storeConfigNameRow(QosObjectTable& table, Row row);

// Pre-policy and dropped packet counters of every class: the 32-bit columns, or with
// `highCapacity` the 64-bit ones.
WalkOutcome collectQueueStats(ColumnWalker& walker, QosObjectTable& table, bool highCapacity);
void storeQueueStatsRow(QosObjectTable& table, Row row, bool highCapacity);
// A counter's value: a Counter64 read whole, anything else as a 32-bit number.
uint64_t counterValue(ResponseBinding& binding);

// Every counter column of every class, for the documents: one walk per column, the 64-bit
// columns after the 32-bit packet counters they replace. Ends at the first failed walk.
WalkOutcome collectClassCounters(ColumnWalker& walker, QosObjectTable& table);
// -fast: the walks of collectClassCounters, in its order.
void planClassCounterWalks(std::vector<PlannedWalk>& plan);
void storeClassCounterRow(QosObjectTable& table, Row row, std::string_view prefix,
                          ClassCounters::Kind kind);

// The name of each service policy's interface: ifName, else ifDescr, by GET for just the
// interfaces in the table; "control-plane" for a control-plane policy.
WalkOutcome collectInterfaceNames(SnmpSession& target, std::vector<ServicePolicy>& policies);
