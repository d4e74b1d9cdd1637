// The walks the stages make, each defined once: the stage walks exactly these, and the -fast
// plan is made of these same objects, so a stage finds its planned walk by identity.
#pragma once

#include <cstdint>
#include <span>

#include "collect/columns.h"

struct StageWalk {
    const char* stage;                   // names the walk on the progress line
    std::span<const ColumnOid> columns;  // the first one's rows end the walk
    long repetitions;                    // rows a request of the default run asks for
    uint32_t valueBytes;  // -fast: a typical value of these columns, encoded, sizes requests
    bool byPolicy;        // -fast: the first index is the policy index, so walked in ranges
};

inline constexpr ColumnOid servicePolicyColumns[] = {cbQosPolicyDirection, cbQosIfIndex};
// The same table with the interface type, for the documents.
inline constexpr ColumnOid servicePolicyTypedColumns[] = {cbQosPolicyDirection, cbQosIfIndex,
                                                          cbQosIfType};
inline constexpr ColumnOid policyObjectColumns[] = {cbQosConfigIndex, cbQosObjectsType,
                                                    cbQosParentObjectsIndex};
inline constexpr ColumnOid policyMapColumns[] = {cbQosPolicyMapName, cbQosPolicyMapDesc};
inline constexpr ColumnOid classMapColumns[] = {cbQosCMName, cbQosCMDesc};
inline constexpr ColumnOid matchStatementColumns[] = {cbQosMatchStmtName, cbQosMatchStmtInfo};
inline constexpr ColumnOid classPacketColumns[] = {cbQosCMPrePolicyPkt, cbQosCMDropPkt};
inline constexpr ColumnOid classPacket64Columns[] = {cbQosCMPrePolicyPkt64, cbQosCMDropPkt64};

// Value sizes, encoded: configuration indices, types and parents of a few bytes; names and
// descriptions of about 30 characters, match information shorter; Counter32 and Counter64.
inline constexpr StageWalk servicePolicyWalk{"servicePolicies", servicePolicyColumns, 4, 8, false};
inline constexpr StageWalk servicePolicyTypedWalk{"servicePolicies", servicePolicyTypedColumns, 4,
                                                  8, false};
inline constexpr StageWalk policyObjectWalk{"objects", policyObjectColumns, 3, 6, true};
inline constexpr StageWalk policyMapWalk{"policyMapNames", policyMapColumns, 4, 30, false};
inline constexpr StageWalk classMapWalk{"classMapNames", classMapColumns, 4, 30, false};
inline constexpr StageWalk matchStatementWalk{"matchStatements", matchStatementColumns, 4, 20,
                                              false};
inline constexpr StageWalk classPacketWalk{"classCounters", classPacketColumns, 4, 7, true};
inline constexpr StageWalk classPacket64Walk{"classCounters", classPacket64Columns, 4, 11, true};
