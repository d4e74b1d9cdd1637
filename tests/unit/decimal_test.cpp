// How value texts and OID index tails become numbers.
#include "collect/decimal.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

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
        EXPECT_EQ(decimalToUnsigned(text), expected) << testing::PrintToString(text);
    }
    EXPECT_EQ(decimalToUnsigned64("18446744073709551615"), 18446744073709551615ULL);
}

TEST(Decimal, ScansTheIndexPair) {
    const std::string prefix = "1.3.6.1.4.1.9.9.166.1.5.1.1.2.";
    const std::tuple<std::string, bool, uint32_t, uint32_t> cases[] = {
        {prefix + "4294967295.1062", true, 4294967295U, 1062},
        {prefix + "4294967296.7", true, 0, 7},
        {prefix + "1.2.3", true, 1, 2},  // what follows the second number is ignored
        {prefix + "1062", false, 0, 0},
        {prefix + "1062.", false, 0, 0},
        {prefix + ".1", false, 0, 0},
        {"1.3.6.1.4.1.9.9.166.1.5.1.1.3.1062.1", false, 0, 0}};
    for (const auto& [text, matches, first, second] : cases) {
        uint32_t a = 0;
        uint32_t b = 0;
        EXPECT_EQ(scanIndexPair(text, prefix, a, b), matches) << text;
        EXPECT_TRUE(!matches || (a == first && b == second)) << text;
    }
}

}  // namespace
