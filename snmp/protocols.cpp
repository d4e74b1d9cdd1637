#include "snmp/protocols.h"

oid usm3DESPrivProtocol[10] = {1, 3, 6, 1, 6, 3, 10, 1, 2, 3};

std::span<const oid> authProtocolOid(AuthProtocol protocol) {
    switch (protocol) {
        case AuthProtocol::md5:
            return usmHMACMD5AuthProtocol;
        case AuthProtocol::sha1:
            return usmHMACSHA1AuthProtocol;
        case AuthProtocol::sha224:
            return usmHMAC128SHA224AuthProtocol;
        case AuthProtocol::sha256:
            return usmHMAC192SHA256AuthProtocol;
        case AuthProtocol::sha384:
            return usmHMAC256SHA384AuthProtocol;
        case AuthProtocol::sha512:
            return usmHMAC384SHA512AuthProtocol;
        case AuthProtocol::none:
            break;
    }
    return usmNoAuthProtocol;
}

std::span<const oid> privProtocolOid(PrivProtocol protocol) {
    switch (protocol) {
        case PrivProtocol::des:
            return usmDESPrivProtocol;
        case PrivProtocol::aes128:
            return usmAESPrivProtocol;
        case PrivProtocol::tripleDes:
            return usm3DESPrivProtocol;
        case PrivProtocol::aes192:
            return usmAES192PrivProtocol;
        case PrivProtocol::aes256:
            return usmAES256PrivProtocol;
        case PrivProtocol::aes192Router:
            return usmAES192CiscoPrivProtocol;
        case PrivProtocol::aes256Router:
            return usmAES256CiscoPrivProtocol;
        case PrivProtocol::none:
            break;
    }
    return usmNoPrivProtocol;
}
