// Privacy keys longer than one localized key: the key extension that 3DES-EDE and routers'
// AES-192 and AES-256 use (draft-reeder-snmpv3-usm-3desede).
#pragma once

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// `ku` localized with `engineId` by the rule of RFC 3414, with the hash of the authentication
// protocol `hash`. Empty when the library refuses it. Both under the library lock.
std::vector<uint8_t> localizedKey(std::span<const oid> hash, std::span<const uint8_t> engineId,
                                  std::span<const uint8_t> ku);

// The privacy key for `keyLength` bytes of key material: `ku` localized with `engineId` by the
// rule of RFC 3414 and, while that is shorter than `keyLength`, extended by localizing the key
// made from all its bytes so far as a pass phrase; cut to `keyLength` when it was extended.
// Empty when the library refuses a step.
std::vector<uint8_t> extendedPrivacyKey(std::span<const oid> hash,
                                        std::span<const uint8_t> engineId,
                                        std::span<const uint8_t> ku, size_t keyLength);
