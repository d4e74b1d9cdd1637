#include "collect/decimal.h"

#include "snmp/decimal.h"

uint32_t decimalToUnsigned(std::string_view text) {
    return static_cast<uint32_t>(decimalToUnsigned64(text));
}

uint64_t decimalToUnsigned64(std::string_view text) {
    size_t position = 0;
    uint64_t value = 0;
    readDecimal(text, position, value);
    return value;
}

bool scanIndexPair(std::string_view text, std::string_view prefix, uint32_t& first,
                   uint32_t& second) {
    if (!text.starts_with(prefix)) {
        return false;
    }
    size_t position = prefix.size();
    uint64_t number = 0;
    if (!readDecimal(text, position, number)) {
        return false;
    }
    first = static_cast<uint32_t>(number);
    if (position >= text.size() || text[position] != '.') {
        return false;
    }
    ++position;
    const bool read = readDecimal(text, position, number);
    second = static_cast<uint32_t>(number);
    return read;
}
