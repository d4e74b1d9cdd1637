// The USM protocol identifiers behind the settings' protocols.
#pragma once

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <span>

#include "snmp/settings.h"

// 3DES-EDE in CBC mode (draft-reeder-snmpv3-usm-3desede): the library has no cipher for it,
// so the privacy layer of this program provides it.
extern oid usm3DESPrivProtocol[10];

std::span<const oid> authProtocolOid(AuthProtocol protocol);
std::span<const oid> privProtocolOid(PrivProtocol protocol);
