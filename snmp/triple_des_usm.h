// 3DES-EDE privacy for SNMPv3 users, added to the library's user-based security model.
#pragma once

// Call once after init_snmp: the library then encrypts and decrypts the messages of users whose
// privacy protocol is usm3DESPrivProtocol, and keeps every other message to itself.
void installTripleDesPrivacy();
