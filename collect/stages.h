// The six collection stages of a run, in the order the run calls them, and the row handlers
// they hand to the column walk.
#pragma once

#include <span>

#include "collect/column_walk.h"
#include "collect/object_table.h"

class SnmpTarget;

// Prints which policy is attached to which interface, in which direction.
void collectServicePolicies(SnmpTarget& target);
void printServicePolicyRow(Row row);

// Fills the table with every QoS object; a line on standard error counts the rows that did
// not fit.
void collectPolicyObjects(SnmpTarget& target, QosObjectTable& table);
// False when the row was not stored because the table is full.
bool storePolicyObjectRow(QosObjectTable& table, Row row);

// Names and descriptions of policy maps, class maps and match statements.
void collectPolicyMapNames(SnmpTarget& target, QosObjectTable& table);
void collectClassMapNames(SnmpTarget& target, QosObjectTable& table);
void collectMatchStatements(SnmpTarget& target, QosObjectTable& table);
void storeConfigNameRow(QosObjectTable& table, Row row);

// Pre-policy and dropped packet counters of every class: the 32-bit columns, or with
// `highCapacity` the 64-bit ones.
WalkOutcome collectQueueStats(SnmpTarget& target, QosObjectTable& table, bool highCapacity);
void storeQueueStatsRow(QosObjectTable& table, Row row, bool highCapacity);
