// A fixed set of numbers of which a router gives some: each is absent until set, never 0 by
// default.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

template <size_t count>
class PresentValues {
  public:
    static_assert(count <= 16);

    void set(size_t slot, uint64_t value) {
        values_[slot] = value;
        present_ |= 1U << slot;
    }
    void erase(size_t slot) { present_ &= ~(1U << slot); }
    bool has(size_t slot) const { return (present_ & (1U << slot)) != 0; }
    uint64_t value(size_t slot) const { return values_[slot]; }
    bool any() const { return present_ != 0; }

  private:
    std::array<uint64_t, count> values_{};
    uint16_t present_ = 0;
};
