// The six collection stages of a run, in the order the run calls them, and the row handlers
// they hand to the column walk.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "collect/column_walk.h"
#include "collect/object_table.h"
#include "collect/walker.h"

// Prints which policy is attached to which interface, in which direction.
// Returns the policy index of every row, in table order.
std::vector<uint32_t> collectServicePolicies(ColumnWalker& walker);
void printServicePolicyRow(Row row);
uint32_t servicePolicyIndex(Row row);

// Fills the table with every QoS object; a line on standard error counts the rows that did
// not fit.
void collectPolicyObjects(ColumnWalker& walker, QosObjectTable& table);
// False when the row was not stored because the table is full.
bool storePolicyObjectRow(QosObjectTable& table, Row row);

// Names and descriptions of policy maps, class maps and match statements.
void collectPolicyMapNames(ColumnWalker& walker, QosObjectTable& table);
void collectClassMapNames(ColumnWalker& walker, QosObjectTable& table);
void collectMatchStatements(ColumnWalker& walker, QosObjectTable& table);
void storeConfigNameRow(QosObjectTable& table, Row row);

// Pre-policy and dropped packet counters of every class: the 32-bit columns, or with
// `highCapacity` the 64-bit ones.
WalkOutcome collectQueueStats(ColumnWalker& walker, QosObjectTable& table, bool highCapacity);
void storeQueueStatsRow(QosObjectTable& table, Row row, bool highCapacity);
