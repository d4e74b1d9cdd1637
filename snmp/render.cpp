#include "snmp/render.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>

#include "snmp/decimal.h"

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

bool isAllText(const u_char* bytes, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        if (!isText(bytes[i])) {
            return false;
        }
    }
    return true;
}

std::string renderOctets(const u_char* bytes, size_t length) {
    if (isAllText(bytes, length)) {
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

// Each half came off the wire as 32 bits, stored in a long.
uint64_t counter64Value(const counter64& value) {
    return (static_cast<uint64_t>(value.high & 0xffffffffU) << 32) | (value.low & 0xffffffffU);
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

std::vector<oid> parseOid(std::string_view text) {
    std::vector<oid> name;
    for (size_t start = 0; start <= text.size();) {
        const size_t dot = std::min(text.find('.', start), text.size());
        oid subid = 0;
        std::from_chars(text.data() + start, text.data() + dot, subid);
        name.push_back(subid);
        start = dot + 1;
    }
    return name;
}

std::strong_ordering compareOids(std::span<const oid> a, std::span<const oid> b) {
    return std::lexicographical_compare_three_way(a.begin(), a.end(), b.begin(), b.end());
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
        case ASN_COUNTER64:
            return hasValue ? decimal(counter64Value(*variable.val.counter64)) : "0";
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

uint64_t wholeNumberOf(const netsnmp_variable_list& variable) {
    if (variable.val.integer == nullptr) {
        return 0;
    }
    switch (variable.type) {
        case ASN_INTEGER:
        case ASN_COUNTER:
        case ASN_GAUGE:
        case ASN_TIMETICKS:
        case ASN_UINTEGER:
            return low32(variable);
        case ASN_COUNTER64:
            return counter64Value(*variable.val.counter64);
        case ASN_OCTET_STR: {
            if (!isAllText(variable.val.string, variable.val_len)) {
                return 0;
            }
            size_t position = 0;
            uint64_t value = 0;
            readDecimal({reinterpret_cast<const char*>(variable.val.string), variable.val_len},
                        position, value);
            return value;
        }
        default:
            return 0;
    }
}
