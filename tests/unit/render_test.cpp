// Value texts of bindings the SNMP library builds itself, for the types and locales that the
// end-to-end agents do not send.
#include "snmp/render.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

namespace {

template <typename Value>
std::string bytesOf(const Value& value) {
    return std::string(reinterpret_cast<const char*>(&value), sizeof value);
}

std::string render(u_char type, const std::string& value, const char* locale = "C") {
    std::setlocale(LC_CTYPE, locale);
    static const oid name[] = {1, 3, 6, 1, 2, 1, 1, 1, 0};
    netsnmp_variable_list* list = nullptr;
    snmp_varlist_add_variable(&list, name, std::size(name), type, value.data(), value.size());
    const std::string text = renderValue(*list);
    snmp_free_varbind(list);
    std::setlocale(LC_CTYPE, "C");
    return text;
}

TEST(Render, ValuesByType) {
    const oid objectId[] = {1, 3, 6, 1, 4, 1, 9, 1, 2571};
    EXPECT_EQ(render(ASN_INTEGER, bytesOf(-1L)), "-1");
    EXPECT_EQ(render(ASN_TIMETICKS, bytesOf(4294967295L)), "4294967295");
    EXPECT_EQ(render(ASN_COUNTER64, bytesOf(counter64{0xffffffffUL, 0xffffffffUL})),
              "18446744073709551615");
    EXPECT_EQ(render(ASN_IPADDRESS, "\xff\xfe\x80\x7f"), "255.254.128.127");
    EXPECT_EQ(render(ASN_OBJECT_ID, bytesOf(objectId)), "1.3.6.1.4.1.9.1.2571");
    // Octets print as they are while every byte is printable or white space, else as hex.
    EXPECT_EQ(render(ASN_OCTET_STR, "a\tb\rc\nd\ve\ff"), "a\tb\rc\nd\ve\ff");
    EXPECT_EQ(render(ASN_OCTET_STR, std::string("abc\0", 4)), "61626300");
    EXPECT_EQ(render(ASN_OCTET_STR, "caf\xe9"), "636166e9");
    EXPECT_EQ(render(ASN_OCTET_STR, "caf\xc3\xa9", "C.UTF-8"), "636166c3a9");
    for (u_char type : {ASN_NULL, ASN_OPAQUE, SNMP_NOSUCHOBJECT, SNMP_ENDOFMIBVIEW}) {
        EXPECT_EQ(render(type, type == ASN_OPAQUE ? "\x9f\x78\x04" : ""), "UNKNOWN") << int(type);
    }
}

}  // namespace
