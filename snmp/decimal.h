// Decimal numbers in texts from the agent: value texts that hold numbers, and OID index tails.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// Reads one number at `position`, advancing it past what it read: white space, an optional sign,
// then decimal digits up to the first non-digit. The value keeps the low 64 bits of the number
// however long the digit string is; a minus sign gives the two's complement (-1 is 2^64 - 1), so
// its low 32 bits are the same reading over 32 bits. False when no digit follows the sign.
bool readDecimal(std::string_view text, size_t& position, uint64_t& value);
