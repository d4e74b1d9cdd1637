// Every column this program reads, defined once: CISCO-CLASS-BASED-QOS-MIB
// (1.3.6.1.4.1.9.9.166.1) and the interface names and speeds of IF-MIB. Walks, the -fast plan and
// the fuzz target take their OIDs from here.
#pragma once

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/types.h>

#include <array>
#include <span>

using ColumnOid = std::span<const oid>;

// cbQos<table>Entry.<column>: 1.3.6.1.4.1.9.9.166.1.<table>.1.1.<column>
template <oid table, oid column>
inline constexpr std::array<oid, 14> qosColumn = {1, 3,   6, 1,     4, 1, 9,
                                                  9, 166, 1, table, 1, 1, column};
// The same as a column of its own, for tables read column by column into fields.
template <oid table, oid column>
inline constexpr ColumnOid qosColumnOid = qosColumn<table, column>;

// cbQosServicePolicyTable
inline constexpr ColumnOid cbQosIfType = qosColumn<1, 2>;
inline constexpr ColumnOid cbQosPolicyDirection = qosColumn<1, 3>;
inline constexpr ColumnOid cbQosIfIndex = qosColumn<1, 4>;
// cbQosObjectsTable
inline constexpr ColumnOid cbQosConfigIndex = qosColumn<5, 2>;
inline constexpr ColumnOid cbQosObjectsType = qosColumn<5, 3>;
inline constexpr ColumnOid cbQosParentObjectsIndex = qosColumn<5, 4>;
// cbQosPolicyMapCfgTable, cbQosCMCfgTable, cbQosMatchStmtCfgTable
inline constexpr ColumnOid cbQosPolicyMapName = qosColumn<6, 1>;
inline constexpr ColumnOid cbQosPolicyMapDesc = qosColumn<6, 2>;
inline constexpr ColumnOid cbQosCMName = qosColumn<7, 1>;
inline constexpr ColumnOid cbQosCMDesc = qosColumn<7, 2>;
inline constexpr ColumnOid cbQosMatchStmtName = qosColumn<8, 1>;
inline constexpr ColumnOid cbQosMatchStmtInfo = qosColumn<8, 2>;
// cbQosCMStatsTable
inline constexpr ColumnOid cbQosCMPrePolicyPkt = qosColumn<15, 2>;
inline constexpr ColumnOid cbQosCMPrePolicyPkt64 = qosColumn<15, 3>;
inline constexpr ColumnOid cbQosCMDropPkt = qosColumn<15, 13>;
inline constexpr ColumnOid cbQosCMDropPkt64 = qosColumn<15, 14>;

// The tables read column by column into fields (collect/field_table.h): the class statistics
// for the documents; the actions' configuration, indexed by cbQosConfigIndex (WRED's per value
// too), and statistics, indexed by (cbQosPolicyIndex, cbQosObjectsIndex) (WRED's per value too).
inline constexpr oid cbQosCMStatsTable = 15;
inline constexpr oid cbQosQueueingCfgTable = 9;
inline constexpr oid cbQosREDCfgTable = 10;
inline constexpr oid cbQosREDClassCfgTable = 11;
inline constexpr oid cbQosPoliceCfgTable = 12;
inline constexpr oid cbQosTSCfgTable = 13;
inline constexpr oid cbQosPoliceStatsTable = 17;
inline constexpr oid cbQosQueueingStatsTable = 18;
inline constexpr oid cbQosTSStatsTable = 19;
inline constexpr oid cbQosREDClassStatsTable = 20;
inline constexpr oid cbQosSetStatsTable = 24;

// IF-MIB
inline constexpr oid ifNameOid[] = {1, 3, 6, 1, 2, 1, 31, 1, 1, 1, 1};
inline constexpr oid ifDescrOid[] = {1, 3, 6, 1, 2, 1, 2, 2, 1, 2};
inline constexpr oid ifHighSpeedOid[] = {1, 3, 6, 1, 2, 1, 31, 1, 1, 1, 15};
inline constexpr oid ifSpeedOid[] = {1, 3, 6, 1, 2, 1, 2, 2, 1, 5};
inline constexpr ColumnOid ifName = ifNameOid;
inline constexpr ColumnOid ifDescr = ifDescrOid;
inline constexpr ColumnOid ifHighSpeed = ifHighSpeedOid;  // Mbit/s
inline constexpr ColumnOid ifSpeed = ifSpeedOid;          // bit/s, at most 2^32 - 1
