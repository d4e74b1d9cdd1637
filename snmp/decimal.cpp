#include "snmp/decimal.h"

namespace {

bool isSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads one number at `position`, advancing it. Returns false when no digit follows the
// optional white space and sign.
template <typename Number>
bool readNumber(std::string_view text, size_t& position, Number& value) {
    while (position < text.size() && isSpace(text[position])) {
        ++position;
    }
    bool negative = false;
    if (position < text.size() && (text[position] == '+' || text[position] == '-')) {
        negative = text[position] == '-';
        ++position;
    }
    const size_t firstDigit = position;
    Number number = 0;
    while (position < text.size() && isDigit(text[position])) {
        // Unsigned arithmetic wraps, which is exactly "the value modulo 2^32" (or 2^64).
        number = number * 10U + static_cast<Number>(text[position] - '0');
        ++position;
    }
    value = negative ? Number{0} - number : number;
    return position != firstDigit;
}

}  // namespace

uint32_t decimalToUnsigned(std::string_view text) {
    size_t position = 0;
    uint32_t value = 0;
    readNumber(text, position, value);
    return value;
}

uint64_t decimalToUnsigned64(std::string_view text) {
    size_t position = 0;
    uint64_t value = 0;
    readNumber(text, position, value);
    return value;
}

bool scanIndexPair(std::string_view text, std::string_view prefix, uint32_t& first,
                   uint32_t& second) {
    if (!text.starts_with(prefix)) {
        return false;
    }
    size_t position = prefix.size();
    if (!readNumber(text, position, first)) {
        return false;
    }
    if (position >= text.size() || text[position] != '.') {
        return false;
    }
    ++position;
    return readNumber(text, position, second);
}
