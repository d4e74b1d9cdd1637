// How value texts become numbers; the index tails of OID texts are read the same way.
#include "snmp/decimal.h"

#include <gtest/gtest.h>

namespace {

TEST(Decimal, KeepsTheLow32Bits) {
    // clang-format off
    const std::pair<const char*, uint32_t> cases[] = {
        {"007", 7}, {"4294967295", 4294967295U}, {"-1", 4294967295U}, {"-2147483648", 2147483648U},
        {"+7", 7}, {"\t\n\v\f\r 42", 42}, {"42abc", 42}, {"1.5", 1}, {"", 0}, {"UNKNOWN", 0},
        {"-", 0}, {"- 5", 0}, {"--5", 0}, {"4294967297", 1},
        {"123456789012345678901234567890", 1312754386U},
        {"-123456789012345678901234567890", 2982212910U}};
    // clang-format on
    for (const auto& [text, expected] : cases) {
        size_t position = 0;
        uint64_t value = 0;
        readDecimal(text, position, value);
        EXPECT_EQ(static_cast<uint32_t>(value), expected) << testing::PrintToString(text);
    }
    size_t position = 0;
    uint64_t value = 0;
    EXPECT_TRUE(readDecimal("18446744073709551615", position, value));
    EXPECT_EQ(value, 18446744073709551615ULL);
}

}  // namespace
