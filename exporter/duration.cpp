#include "exporter/duration.h"

#include <cstdint>
#include <iterator>
#include <limits>

namespace {

struct Unit {
    std::string_view name;
    int64_t nanoseconds;
};

// "ms" before "m", so that it is not read as minutes followed by a stray "s".
// clang-format off
constexpr Unit units[] = {
    {"ns", 1},
    {"us", 1'000},
    {"\u00b5s", 1'000},  // micro sign, as Go accepts it
    {"\u03bcs", 1'000},  // Greek mu
    {"ms", 1'000'000},
    {"s", 1'000'000'000},
    {"m", 60'000'000'000},
    {"h", 3'600'000'000'000},
};
// clang-format on

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

const Unit* unitAt(std::string_view text) {
    for (const Unit& unit : units) {
        if (text.starts_with(unit.name)) {
            return &unit;
        }
    }
    return nullptr;
}

}  // namespace

std::optional<std::chrono::nanoseconds> parseDuration(std::string_view text) {
    if (text == "0") {
        return std::chrono::nanoseconds{0};
    }
    if (text.empty()) {
        return std::nullopt;
    }
    // Sums in long double: a fraction such as 0.1h has no exact binary form, and 64-bit
    // integers would overflow on the way for long texts before the range check could run.
    long double total = 0;
    while (!text.empty()) {
        std::size_t digits = 0;
        long double whole = 0;
        while (digits < text.size() && isDigit(text[digits])) {
            whole = whole * 10 + (text[digits++] - '0');
        }
        long double fraction = 0;
        std::size_t fractionDigits = 0;
        std::size_t length = digits;
        if (length < text.size() && text[length] == '.') {
            long double scale = 0.1L;
            for (++length; length < text.size() && isDigit(text[length]); ++length) {
                fraction += (text[length] - '0') * scale;
                scale /= 10;
                ++fractionDigits;
            }
        }
        if (digits == 0 && fractionDigits == 0) {
            return std::nullopt;
        }
        const Unit* unit = unitAt(text.substr(length));
        if (!unit) {
            return std::nullopt;
        }
        total += (whole + fraction) * unit->nanoseconds;
        text.remove_prefix(length + unit->name.size());
    }
    if (total >= static_cast<long double>(std::numeric_limits<int64_t>::max())) {
        return std::nullopt;
    }
    return std::chrono::nanoseconds{static_cast<int64_t>(total + 0.5L)};
}

std::string formatDuration(std::chrono::nanoseconds duration) {
    int64_t left = duration.count();
    if (left == 0) {
        return "0s";
    }
    std::string text;
    for (auto unit = std::rbegin(units); unit != std::rend(units); ++unit) {
        if (unit->name.front() & 0x80) {
            continue;  // the micro signs; "us" says the same in ASCII
        }
        if (left >= unit->nanoseconds) {
            text += std::to_string(left / unit->nanoseconds) + std::string(unit->name);
            left %= unit->nanoseconds;
        }
    }
    return text;
}
