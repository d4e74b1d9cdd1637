#include "snmp/privacy_protocols.h"

oid usm3DESPrivProtocol[10] = {1, 3, 6, 1, 6, 3, 10, 1, 2, 3};

std::span<oid> privacyProtocolFor(int32_t privProtocol) {
    switch (privProtocol) {
        case 1:
            return usmDESPrivProtocol;
        case 2:
            return usmAESPrivProtocol;
        case 3:
            return usm3DESPrivProtocol;
        case 4:
            return usmAES192CiscoPrivProtocol;
        case 5:
            return usmAES256CiscoPrivProtocol;
        default:
            return usmNoPrivProtocol;
    }
}
