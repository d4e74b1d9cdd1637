// The two texts the collection stages read from a binding: the OID as dotted decimal
// without a leading dot, and the value rendered by its ASN.1 type.
#pragma once

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <string>

std::string formatOid(const oid* subids, size_t count);

// INTEGER signed; Counter32, Gauge32, TimeTicks, UInteger32 unsigned; Counter64 in full;
// IpAddress dotted; OID dotted; OCTET STRING as text when every byte is printable or white
// space under the current locale, else lowercase hex; anything else "UNKNOWN".
std::string renderValue(const netsnmp_variable_list& variable);

// Every byte printable or white space under the current locale: such a value is shown as text.
bool isPrintableText(const u_char* bytes, size_t length);
