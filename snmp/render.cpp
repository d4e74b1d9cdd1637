#include "snmp/render.h"

#include <cctype>
#include <charconv>
#include <cstdint>

namespace {

template <typename Number>
std::string decimal(Number value) {
    char digits[24];
    const auto end = std::to_chars(std::begin(digits), std::end(digits), value).ptr;
    return std::string(digits, end);
}

bool isText(u_char byte) {
    return std::isprint(byte) != 0 || std::isspace(byte) != 0;
}

}  // namespace

bool isPrintableText(const u_char* bytes, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        if (!isText(bytes[i])) {
            return false;
        }
    }
    return true;
}

namespace {

std::string renderOctets(const u_char* bytes, size_t length) {
    if (isPrintableText(bytes, length)) {
        return std::string(reinterpret_cast<const char*>(bytes), length);
    }
    static constexpr char hexDigits[] = "0123456789abcdef";
    std::string hex(2 * length, '\0');
    for (size_t i = 0; i < length; ++i) {
        hex[2 * i] = hexDigits[bytes[i] >> 4];
        hex[2 * i + 1] = hexDigits[bytes[i] & 0x0f];
    }
    return hex;
}

std::string renderIpAddress(const u_char* bytes, size_t length) {
    // The library only accepts IpAddress values of four bytes; anything shorter renders empty
    // rather than reading past the value.
    if (bytes == nullptr || length < 4) {
        return "";
    }
    return decimal(bytes[0]) + "." + decimal(bytes[1]) + "." + decimal(bytes[2]) + "." +
           decimal(bytes[3]);
}

// The library stores every 32-bit type in a long; only the low 32 bits came off the wire.
uint32_t low32(const netsnmp_variable_list& variable) {
    return static_cast<uint32_t>(*variable.val.integer);
}

}  // namespace

std::string formatOid(const oid* subids, size_t count) {
    // Every binding of every response passes through here: the text is built on the stack
    // and copied into the string once, which then needs a single allocation.
    constexpr size_t longestPiece = 21;  // a dot and the 20 digits of a 64-bit number
    char piece[512];
    char* end = piece;
    std::string text;
    for (size_t i = 0; i < count; ++i) {
        if (static_cast<size_t>(std::end(piece) - end) < longestPiece) {
            text.append(piece, end);
            end = piece;
        }
        if (i != 0) {
            *end++ = '.';
        }
        if (subids[i] < 10) {  // most sub-identifiers of a MIB path
            *end++ = static_cast<char>('0' + subids[i]);
        } else {
            end = std::to_chars(end, std::end(piece), subids[i]).ptr;
        }
    }
    text.append(piece, end);
    return text;
}

std::string renderValue(const netsnmp_variable_list& variable) {
    const bool hasValue = variable.val.integer != nullptr;
    switch (variable.type) {
        case ASN_INTEGER:
            return hasValue ? decimal(static_cast<int32_t>(low32(variable))) : "0";
        case ASN_COUNTER:
        case ASN_GAUGE:
        case ASN_TIMETICKS:
        case ASN_UINTEGER:
            return hasValue ? decimal(low32(variable)) : "0";
        case ASN_COUNTER64: {
            if (variable.val.counter64 == nullptr) {
                return "0";
            }
            const uint64_t value =
                (static_cast<uint64_t>(variable.val.counter64->high & 0xffffffffU) << 32) |
                (variable.val.counter64->low & 0xffffffffU);
            return decimal(value);
        }
        case ASN_OCTET_STR:
            return renderOctets(variable.val.string, variable.val_len);
        case ASN_OBJECT_ID:
            return formatOid(variable.val.objid, variable.val_len / sizeof(oid));
        case ASN_IPADDRESS:
            return renderIpAddress(variable.val.string, variable.val_len);
        default:
            return "UNKNOWN";
    }
}
