// The configuration file's words for security levels and protocols, as Prometheus' SNMP
// exporter spells them; read by the loader and written back by /config.
#pragma once

#include <string_view>

#include "exporter/config.h"

template <class Value>
struct Named {
    std::string_view name;
    Value value;
};

inline constexpr Named<SecurityLevel> securityLevelNames[] = {
    {"noAuthNoPriv", SecurityLevel::noAuthNoPriv},
    {"authNoPriv", SecurityLevel::authNoPriv},
    {"authPriv", SecurityLevel::authPriv}};

inline constexpr Named<AuthProtocol> authProtocolNames[] = {
    {"MD5", AuthProtocol::md5},       {"SHA", AuthProtocol::sha1},
    {"SHA224", AuthProtocol::sha224}, {"SHA256", AuthProtocol::sha256},
    {"SHA384", AuthProtocol::sha384}, {"SHA512", AuthProtocol::sha512}};

// AES192 and AES256 extend the key as Net-SNMP agents do; the C forms as routers do.
inline constexpr Named<PrivProtocol> privProtocolNames[] = {{"DES", PrivProtocol::des},
                                                            {"AES", PrivProtocol::aes128},
                                                            {"AES192", PrivProtocol::aes192},
                                                            {"AES256", PrivProtocol::aes256},
                                                            {"AES192C", PrivProtocol::aes192Router},
                                                            {"AES256C", PrivProtocol::aes256Router},
                                                            {"3DES", PrivProtocol::tripleDes}};

template <class Value, std::size_t size>
std::string_view nameOf(const Named<Value> (&names)[size], Value value) {
    for (const Named<Value>& named : names) {
        if (named.value == value) {
            return named.name;
        }
    }
    return "";
}
