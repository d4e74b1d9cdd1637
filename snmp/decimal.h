// How texts from the agent become numbers: every value is rendered to text first, and
// numbers are read back from value texts and from the index tail of OID texts.
#pragma once

#include <cstdint>
#include <string_view>

// Skips leading white space, takes an optional sign, reads decimal digits up to the first
// non-digit. No digits give 0. The result keeps the low 32 bits of the number however long
// the digit string is; a minus sign gives the two's complement (-1 is 4294967295).
uint32_t decimalToUnsigned(std::string_view text);

// The same reading over 64 bits, for the decimal text of a Counter64, which it reads exactly.
uint64_t decimalToUnsigned64(std::string_view text);

// Reads "<prefix><a>.<b>" where a and b are numbers as decimalToUnsigned reads them, each
// with at least one digit. Returns false when the text does not have that shape.
bool scanIndexPair(std::string_view text, std::string_view prefix, uint32_t& first,
                   uint32_t& second);
