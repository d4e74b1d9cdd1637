// Every column this program reads, defined once: CISCO-CLASS-BASED-QOS-MIB
// (1.3.6.1.4.1.9.9.166.1) and the interface names of IF-MIB. Walks, the -fast plan and the fuzz
// target take their OIDs from here.
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
inline constexpr ColumnOid cbQosCMPrePolicyByte64 = qosColumn<15, 6>;
inline constexpr ColumnOid cbQosCMPrePolicyBitRate = qosColumn<15, 7>;
inline constexpr ColumnOid cbQosCMPostPolicyByte64 = qosColumn<15, 10>;
inline constexpr ColumnOid cbQosCMPostPolicyBitRate = qosColumn<15, 11>;
inline constexpr ColumnOid cbQosCMDropPkt = qosColumn<15, 13>;
inline constexpr ColumnOid cbQosCMDropPkt64 = qosColumn<15, 14>;
inline constexpr ColumnOid cbQosCMDropByte64 = qosColumn<15, 17>;
inline constexpr ColumnOid cbQosCMDropBitRate = qosColumn<15, 18>;
inline constexpr ColumnOid cbQosCMNoBufDropPkt64 = qosColumn<15, 21>;

// IF-MIB
inline constexpr oid ifNameOid[] = {1, 3, 6, 1, 2, 1, 31, 1, 1, 1, 1};
inline constexpr oid ifDescrOid[] = {1, 3, 6, 1, 2, 1, 2, 2, 1, 2};
inline constexpr ColumnOid ifName = ifNameOid;
inline constexpr ColumnOid ifDescr = ifDescrOid;
