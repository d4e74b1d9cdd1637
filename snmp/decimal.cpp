#include "snmp/decimal.h"

namespace {

bool isSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

bool readDecimal(std::string_view text, size_t& position, uint64_t& value) {
    while (position < text.size() && isSpace(text[position])) {
        ++position;
    }
    bool negative = false;
    if (position < text.size() && (text[position] == '+' || text[position] == '-')) {
        negative = text[position] == '-';
        ++position;
    }
    const size_t firstDigit = position;
    uint64_t number = 0;
    while (position < text.size() && isDigit(text[position])) {
        // Unsigned arithmetic wraps, which is exactly "the value modulo 2^64".
        number = number * 10U + static_cast<uint64_t>(text[position] - '0');
        ++position;
    }
    value = negative ? uint64_t{0} - number : number;
    return position != firstDigit;
}
