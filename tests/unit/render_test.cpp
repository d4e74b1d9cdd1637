// Value texts and numbers of bindings the SNMP library builds itself, for the types and locales
// that the end-to-end agents do not send; the same bindings kept after their response.
#include "snmp/render.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <tuple>

#include "snmp/kept_bindings.h"

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

TEST(Render, NumbersByTypeAlsoWhenKept) {
    // A name with sub-identifiers of one, two and five bytes in the kept form.
    const oid name[] = {1, 3, 6, 1, 4, 1, 9, 200, 4294967295UL, 0};
    const oid objectId[] = {1, 3, 6};
    // clang-format off
    const std::tuple<u_char, std::string, uint32_t, uint64_t> cases[] = {
        {ASN_INTEGER, bytesOf(-1L), 4294967295U, 4294967295U},
        {ASN_INTEGER, bytesOf(7L), 7, 7},
        {ASN_COUNTER, bytesOf(4294967295L), 4294967295U, 4294967295U},
        {ASN_GAUGE, bytesOf(8L), 8, 8}, {ASN_TIMETICKS, bytesOf(9L), 9, 9},
        {ASN_UINTEGER, bytesOf(10L), 10, 10},
        {ASN_COUNTER64, bytesOf(counter64{1, 2}), 2, 4294967298U},
        // Text as the value texts of numbers are read; hex-rendered octets are no number.
        {ASN_OCTET_STR, "\t -1 packets", 4294967295U, 18446744073709551615U},
        {ASN_OCTET_STR, "+42x", 42, 42}, {ASN_OCTET_STR, "18446744073709551617", 1, 1},
        {ASN_OCTET_STR, "words", 0, 0}, {ASN_OCTET_STR, std::string("12\0", 3), 0, 0},
        {ASN_IPADDRESS, "\x01\x02\x03\x04", 0, 0}, {ASN_OBJECT_ID, bytesOf(objectId), 0, 0},
        {ASN_NULL, "", 0, 0}};
    // clang-format on
    for (const auto& [type, value, number, wholeNumber] : cases) {
        netsnmp_variable_list* list = nullptr;
        snmp_varlist_add_variable(&list, name, std::size(name), type, value.data(), value.size());
        ResponseBinding binding(list);
        KeptBindings kept;
        kept.add(binding);
        ResponseBinding keptBinding = kept.binding(0);
        for (ResponseBinding* read : {&binding, &keptBinding}) {
            EXPECT_EQ(read->number(), number) << int(type) << " " << value;
            EXPECT_EQ(read->wholeNumber(), wholeNumber) << int(type) << " " << value;
            EXPECT_EQ(read->type(), type);
            EXPECT_TRUE(std::ranges::equal(read->name(), name));
        }
        EXPECT_EQ(keptBinding.oidText(), "1.3.6.1.4.1.9.200.4294967295.0");
        EXPECT_EQ(keptBinding.valueText(), renderValue(*list));
        snmp_free_varbind(list);
    }
}

}  // namespace
