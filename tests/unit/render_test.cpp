// OID texts and value texts of bindings built by the SNMP library itself.
#include "snmp/render.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The raw bytes the library copies into a binding's value: a long for the integer types.
template <typename Value>
std::string bytesOf(const Value& value) {
    return std::string(reinterpret_cast<const char*>(&value), sizeof value);
}

std::string counter64Value(u_long high, u_long low) {
    counter64 value{};
    value.high = high;
    value.low = low;
    return bytesOf(value);
}

std::string oidValue(std::initializer_list<oid> subids) {
    const std::vector<oid> name(subids);
    return std::string(reinterpret_cast<const char*>(name.data()), name.size() * sizeof(oid));
}

// One binding made by snmp_varlist_add_variable, rendered under an LC_CTYPE locale of the
// test's choosing: the library's initialisation would otherwise take it from the environment.
std::string render(u_char type, const std::string& value, const char* locale) {
    const char* previous = std::setlocale(LC_CTYPE, nullptr);
    const std::string restore = previous != nullptr ? previous : "C";
    EXPECT_NE(std::setlocale(LC_CTYPE, locale), nullptr) << locale;

    static const oid name[] = {1, 3, 6, 1, 2, 1, 1, 1, 0};
    netsnmp_variable_list* list = nullptr;
    snmp_varlist_add_variable(&list, name, std::size(name), type,
                              value.empty() ? nullptr : value.data(), value.size());
    EXPECT_NE(list, nullptr);
    const std::string text = list != nullptr ? renderValue(*list) : "";
    snmp_free_varbind(list);

    std::setlocale(LC_CTYPE, restore.c_str());
    return text;
}

struct ValueCase {
    const char* name;
    u_char type;
    std::string value;
    std::string expected;
    const char* locale = "C";
};

TEST(Render, ValuesByType) {
    const ValueCase cases[] = {
        {"integerMinusOne", ASN_INTEGER, bytesOf(-1L), "-1"},
        {"integerZero", ASN_INTEGER, bytesOf(0L), "0"},
        {"integerLargest", ASN_INTEGER, bytesOf(2147483647L), "2147483647"},
        {"integerSmallest", ASN_INTEGER, bytesOf(-2147483648L), "-2147483648"},
        {"counter32Largest", ASN_COUNTER, bytesOf(4294967295L), "4294967295"},
        {"gauge32Largest", ASN_GAUGE, bytesOf(4294967295L), "4294967295"},
        {"uinteger32Largest", ASN_UINTEGER, bytesOf(4294967295L), "4294967295"},
        {"timeTicksAsReceived", ASN_TIMETICKS, bytesOf(100L), "100"},
        {"timeTicksLargest", ASN_TIMETICKS, bytesOf(4294967295L), "4294967295"},
        {"counter64Zero", ASN_COUNTER64, counter64Value(0, 0), "0"},
        {"counter64HighOne", ASN_COUNTER64, counter64Value(1, 0), "4294967296"},
        {"counter64Largest", ASN_COUNTER64, counter64Value(0xffffffffUL, 0xffffffffUL),
         "18446744073709551615"},
        {"ipAddress", ASN_IPADDRESS, std::string("\x0a\x00\x00\x01", 4), "10.0.0.1"},
        {"ipAddressHighBytes", ASN_IPADDRESS, std::string("\xff\xfe\x80\x7f", 4),
         "255.254.128.127"},
        {"objectIdentifier", ASN_OBJECT_ID, oidValue({1, 3, 6, 1, 4, 1, 9, 1, 2571}),
         "1.3.6.1.4.1.9.1.2571"},
        {"octetsName", ASN_OCTET_STR, "Gi1/0/1 class-default", "Gi1/0/1 class-default"},
        {"octetsEmpty", ASN_OCTET_STR, "", ""},
        {"octetsControlWhiteSpaceCopiedRaw", ASN_OCTET_STR, "a\tb\rc\nd\ve\ff", "a\tb\rc\nd\ve\ff"},
        {"octetsOnlyWhiteSpace", ASN_OCTET_STR, " \t\n", " \t\n"},
        {"octetsMacAddress", ASN_OCTET_STR, std::string("\x00\x1a\x2b\x3c\x4d\x5e", 6),
         "001a2b3c4d5e"},
        {"octetsTrailingNul", ASN_OCTET_STR, std::string("abc\0", 4), "61626300"},
        {"octetsDelete", ASN_OCTET_STR, "ab\x7f", "61627f"},
        {"octetsEscape", ASN_OCTET_STR, "\x1b[0m", "1b5b306d"},
        {"octetsUpperNibbles", ASN_OCTET_STR, "\x01\xab\xcd\xef", "01abcdef"},
        {"octetsLatin1InC", ASN_OCTET_STR, "caf\xe9", "636166e9"},
        // In a UTF-8 locale no single byte above 0x7f is a character either.
        {"octetsUtf8InCUtf8", ASN_OCTET_STR, "caf\xc3\xa9", "636166c3a9", "C.UTF-8"},
        {"octetsAsciiInCUtf8", ASN_OCTET_STR, "class-default", "class-default", "C.UTF-8"},
        {"null", ASN_NULL, "", "UNKNOWN"},
        {"noSuchObject", SNMP_NOSUCHOBJECT, "", "UNKNOWN"},
        {"noSuchInstance", SNMP_NOSUCHINSTANCE, "", "UNKNOWN"},
        {"endOfMibView", SNMP_ENDOFMIBVIEW, "", "UNKNOWN"},
        {"opaque", ASN_OPAQUE, "\x9f\x78\x04", "UNKNOWN"},
        {"bitString", ASN_BIT_STR, "\x80", "UNKNOWN"},
        {"nsap", ASN_NSAP, "\x47\x01", "UNKNOWN"},
    };
    for (const ValueCase& c : cases) {
        EXPECT_EQ(render(c.type, c.value, c.locale), c.expected) << c.name;
    }
}

TEST(OidText, DottedDecimalWithoutLeadingDot) {
    EXPECT_EQ(formatOid(nullptr, 0), "");
    const oid prefix[] = {1, 3, 6};
    EXPECT_EQ(formatOid(prefix, 3), "1.3.6");
    EXPECT_EQ(formatOid(prefix, 1), "1");
    const oid zero[] = {0, 0};
    EXPECT_EQ(formatOid(zero, 2), "0.0");
    const oid largest[] = {1, 3, 4294967295UL};
    EXPECT_EQ(formatOid(largest, 3), "1.3.4294967295");
}

TEST(OidText, LongerThan128Characters) {
    // 1.3.6.1.4.1.9.9.166 and then 24 sub-identifiers of ten digits: 19 + 24 * 11 = 283
    // characters, well past the first 128.
    std::vector<oid> name = {1, 3, 6, 1, 4, 1, 9, 9, 166};
    std::string expected = "1.3.6.1.4.1.9.9.166";
    for (int i = 0; i < 24; ++i) {
        name.push_back(4294967295UL);
        expected += ".4294967295";
    }
    ASSERT_EQ(expected.size(), 283U);
    EXPECT_EQ(formatOid(name.data(), name.size()), expected);
}

}  // namespace
