// 3DES-EDE privacy for SNMPv3 users, added to the library's user-based security model.
#pragma once

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <array>
#include <cstdint>

#include "snmp/triple_des.h"

// Call once after init_snmp, under the library lock: the library then encrypts and decrypts the
// messages of users whose privacy protocol is usm3DESPrivProtocol, keeps every other message to
// itself, and makes each session's user afresh after discovery (see replaceSessionUser).
void installTripleDesPrivacy();

using TripleDesSalt = std::array<uint8_t, tripleDesSaltLength>;

// The hooks' framing, with the salt and the engine's boots and time given: the encoder builds
// the whole authPriv message of a 3DES user (RFC 3412 6, RFC 3414 2.4 and 3.1.1) with the
// encrypted scoped PDU and the salt, authenticated as the library authenticates its own; the
// decoder puts the plaintext of an incoming one into `buffer` (the MAC is the library's to
// check). Under the library lock.
int encodeTripleDesMessage(const snmp_secmod_outgoing_params& params, const usmUser& user,
                           const TripleDesSalt& salt, u_int boots, u_int time);
int decryptTripleDesMessage(const snmp_secmod_incoming_params& params, u_char* buffer, size_t room);
