// The USM privacy protocol identifiers behind the command line's privacy codes.
#pragma once

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <cstdint>
#include <span>

// 3DES-EDE in CBC mode (draft-reeder-snmpv3-usm-3desede): the library has no cipher for it,
// so the privacy layer of this program provides it.
extern oid usm3DESPrivProtocol[10];

// 0 none, 1 DES, 2 AES-128, 3 3DES-EDE, 4 AES-192, 5 AES-256. AES-192 and AES-256 use the
// key extension routers use (the library's "Cisco" identifiers).
std::span<oid> privacyProtocolFor(int32_t privProtocol);
