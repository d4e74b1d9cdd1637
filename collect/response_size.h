// How many bindings fit a response: requests are sized so that the answer fits an Ethernet
// frame with the IP and UDP headers, and no agent or path needs to fragment it.
#pragma once

#include <cstddef>
#include <span>

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/types.h>

inline constexpr size_t responseBytes = 1'400;
// The message, PDU and, with SNMPv3, security headers around the bindings.
inline constexpr size_t responseHeaderBytes = 120;
// A binding's own header and its name's.
inline constexpr size_t bindingHeaderBytes = 4;

// The encoded length of one number of an OID: a byte per 7 bits.
inline size_t encodedNumberBytes(oid number) {
    size_t bytes = 1;
    for (; number >= 128; number >>= 7) {
        ++bytes;
    }
    return bytes;
}

// The encoded length of an OID: the first two numbers share a byte.
inline size_t encodedOidBytes(std::span<const oid> name) {
    size_t bytes = 1;
    for (size_t i = 2; i < name.size(); ++i) {
        bytes += encodedNumberBytes(name[i]);
    }
    return bytes;
}
