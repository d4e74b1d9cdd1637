// The SNMPv3 protocols an auth names. Same names and values as the snmp layer's settings;
// once those land, this header includes them instead of declaring its own.
#pragma once

enum class AuthProtocol { none, md5, sha1, sha224, sha256, sha384, sha512 };
enum class PrivProtocol {
    none,
    des,
    aes128,
    tripleDes,
    aes192,
    aes256 /*Net-SNMP agents' key extension*/,
    aes192Router,
    aes256Router /*routers' key extension*/
};
