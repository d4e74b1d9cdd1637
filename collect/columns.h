// The columns of CISCO-CLASS-BASED-QOS-MIB (1.3.6.1.4.1.9.9.166) that the stages walk, in the
// order each walk asks for them. The first column of each walk also gives its row prefix.
#pragma once

inline constexpr const char* servicePolicyColumns[] = {
    "1.3.6.1.4.1.9.9.166.1.1.1.1.3",  // cbQosPolicyDirection
    "1.3.6.1.4.1.9.9.166.1.1.1.1.4",  // cbQosIfIndex
};
// The same walk with the interface type, for the documents.
inline constexpr const char* servicePolicyTypedColumns[] = {
    "1.3.6.1.4.1.9.9.166.1.1.1.1.3",  // cbQosPolicyDirection
    "1.3.6.1.4.1.9.9.166.1.1.1.1.4",  // cbQosIfIndex
    "1.3.6.1.4.1.9.9.166.1.1.1.1.2",  // cbQosIfType
};
inline constexpr const char* policyObjectColumns[] = {
    "1.3.6.1.4.1.9.9.166.1.5.1.1.2",  // cbQosConfigIndex
    "1.3.6.1.4.1.9.9.166.1.5.1.1.3",  // cbQosObjectsType
    "1.3.6.1.4.1.9.9.166.1.5.1.1.4",  // cbQosParentObjectsIndex
};
inline constexpr const char* policyMapColumns[] = {
    "1.3.6.1.4.1.9.9.166.1.6.1.1.1",  // cbQosPolicyMapName
    "1.3.6.1.4.1.9.9.166.1.6.1.1.2",  // cbQosPolicyMapDesc
};
inline constexpr const char* classMapColumns[] = {
    "1.3.6.1.4.1.9.9.166.1.7.1.1.1",  // cbQosCMName
    "1.3.6.1.4.1.9.9.166.1.7.1.1.2",  // cbQosCMDesc
};
inline constexpr const char* matchStatementColumns[] = {
    "1.3.6.1.4.1.9.9.166.1.8.1.1.1",  // cbQosMatchStmtName
    "1.3.6.1.4.1.9.9.166.1.8.1.1.2",  // cbQosMatchStmtInfo
};
inline constexpr const char* queueStatsColumns[] = {
    "1.3.6.1.4.1.9.9.166.1.15.1.1.2",   // cbQosCMPrePolicyPkt (Counter32)
    "1.3.6.1.4.1.9.9.166.1.15.1.1.13",  // cbQosCMDropPkt (Counter32)
};
inline constexpr const char* queueStats64Columns[] = {
    "1.3.6.1.4.1.9.9.166.1.15.1.1.3",   // cbQosCMPrePolicyPkt64
    "1.3.6.1.4.1.9.9.166.1.15.1.1.14",  // cbQosCMDropPkt64
};
