// What a session needs to reach one agent: its address, the SNMP version and the credentials,
// with the SNMPv3 pass phrases hashed once.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "snmp/library_lock.h"

// SNMP's own version numbers (msgVersion).
enum class SnmpVersion { v1 = 0, v2c = 1, v3 = 3 };

enum class AuthProtocol { none, md5, sha1, sha224, sha256, sha384, sha512 };

enum class PrivProtocol {
    none,
    des,
    aes128,
    tripleDes,
    aes192,  // AES-192 and AES-256 with Net-SNMP agents' key extension (draft-blumenthal)
    aes256,
    aes192Router,  // AES-192 and AES-256 with the key extension routers use (draft-reeder)
    aes256Router,
};

// The pass phrases hashed by the password-to-key rule of RFC 3414 (Ku), before localization
// to an engine ID. Empty when there is no such pass phrase.
struct UserKeys {
    std::vector<uint8_t> auth;
    std::vector<uint8_t> priv;
};

struct SnmpSettings {
    SnmpVersion version = SnmpVersion::v1;
    std::string agentName;     // as the user wrote it, for messages
    std::string agentAddress;  // a host name, an IPv4 address or an IPv6 one (bracketed or not)
    uint16_t port = 161;
    std::string sourceAddress;  // the local address requests leave from; empty: any
    std::string community;
    std::string userName;
    std::string contextName;
    AuthProtocol authProtocol = AuthProtocol::none;
    std::string authPassPhrase;
    PrivProtocol privProtocol = PrivProtocol::none;
    std::string privPassPhrase;
    // Made by deriveUserKeys(); a session without them derives its own when it opens.
    std::shared_ptr<const UserKeys> keys;
};

// Hashes the pass phrases that the settings' security level uses, under the library lock: a
// program with many runs does it once per configuration, not per run. A pass phrase the
// library refuses (shorter than 8 characters: it complains) gives a key of zeros, so that
// every request of the run fails authentication at the agent. The library's complaints go to
// `complaints`.
std::shared_ptr<const UserKeys> deriveUserKeys(const SnmpSettings& settings,
                                               const ComplaintSink& complaints = {});
