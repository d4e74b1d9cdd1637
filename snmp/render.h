// What the collection stages read from a binding: the OID as dotted decimal without a leading
// dot, the value rendered by its ASN.1 type, and the value as a number. All pure: no library
// call, so none needs the library lock.
#pragma once

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <compare>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

std::string formatOid(const oid* subids, size_t count);
// The sub-identifiers of a dotted OID of our own (digits and dots, no leading dot).
std::vector<oid> parseOid(std::string_view text);
// Sub-identifier by sub-identifier; a prefix comes before the longer OID.
std::strong_ordering compareOids(std::span<const oid> a, std::span<const oid> b);

// INTEGER signed; Counter32, Gauge32, TimeTicks, UInteger32 unsigned; Counter64 in full;
// IpAddress dotted; OID dotted; OCTET STRING as text when every byte is printable or white
// space under the current locale, else lowercase hex; anything else "UNKNOWN".
std::string renderValue(const netsnmp_variable_list& variable);

// The value as a number: INTEGER its low 32 bits as two's complement; Counter32, Gauge32,
// TimeTicks and UInteger32 the value; Counter64 the whole value; an OCTET STRING that renders
// as text the number its leading decimal digits spell, after white space and a sign (see
// readDecimal); anything else 0.
uint64_t wholeNumberOf(const netsnmp_variable_list& variable);
