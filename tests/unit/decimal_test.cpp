// Decimal conversion of value texts and the index pairs read back from OID texts.
#include "collect/decimal.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Decimal, Converts) {
    const std::pair<const char*, uint32_t> cases[] = {
        {"0", 0},
        {"42", 42},
        {"007", 7},
        {"4294967295", 4294967295U},
        {"2147483648", 2147483648U},
        // Negative INTEGER texts keep their 32-bit pattern.
        {"-1", 4294967295U},
        {"-2147483648", 2147483648U},
        {"+7", 7},
        {"  42", 42},
        {"\t\n\v\f\r 42", 42},
        {"42abc", 42},
        {"1.5", 1},
        {"", 0},
        {"UNKNOWN", 0},
        {"INVALID", 0},
        {"-", 0},
        {"+", 0},
        {"- 5", 0},
        {"--5", 0},
        {"a1", 0},
        // Above 2^32 - 1 only the low 32 bits are kept, however long the digit string.
        {"4294967296", 0},
        {"4294967297", 1},
        {"18446744073709551615", 4294967295U},
        {"123456789012345678901234567890", 1312754386U},
        {"-4294967296", 0},
        {"-123456789012345678901234567890", 2982212910U},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(decimalToUnsigned(text), expected) << testing::PrintToString(text);
    }
}

constexpr const char* objectsPrefix = "1.3.6.1.4.1.9.9.166.1.5.1.1.2.";

struct IndexCase {
    std::string text;
    bool matches;
    uint32_t first;
    uint32_t second;
};

TEST(Decimal, ScansTheIndexPair) {
    const IndexCase cases[] = {
        {std::string(objectsPrefix) + "1062.1", true, 1062, 1},
        {std::string(objectsPrefix) + "4294967295.4294967295", true, 4294967295U, 4294967295U},
        {std::string(objectsPrefix) + "4294967296.7", true, 0, 7},
        // Like a scanf format, the pattern ignores what follows the second number.
        {std::string(objectsPrefix) + "1.2.3", true, 1, 2},
        {std::string(objectsPrefix) + "1.2x", true, 1, 2},
        {std::string(objectsPrefix) + "1062", false, 0, 0},
        {std::string(objectsPrefix) + "1062.", false, 0, 0},
        {std::string(objectsPrefix) + ".1", false, 0, 0},
        {std::string(objectsPrefix), false, 0, 0},
        {"1.3.6.1.4.1.9.9.166.1.5.1.1.2", false, 0, 0},
        {"1.3.6.1.4.1.9.9.166.1.5.1.1.3.1062.1", false, 0, 0},
        {"INVALID", false, 0, 0},
        {"", false, 0, 0},
    };
    for (const IndexCase& c : cases) {
        uint32_t first = 0;
        uint32_t second = 0;
        EXPECT_EQ(scanIndexPair(c.text, objectsPrefix, first, second), c.matches) << c.text;
        if (c.matches) {
            EXPECT_EQ(first, c.first) << c.text;
            EXPECT_EQ(second, c.second) << c.text;
        }
    }
}

}  // namespace
