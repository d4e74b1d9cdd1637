#include "snmp/kept_bindings.h"

void KeptBindings::add(ResponseBinding& binding) {
    // Each sub-identifier in 7-bit groups, most significant first, the last one's top bit clear:
    // BER's form, which takes most sub-identifiers of a MIB path in one byte.
    for (const oid subid : binding.name()) {
        int shift = 63 - 63 % 7;
        while (shift > 0 && (subid >> shift) == 0) {
            shift -= 7;
        }
        for (; shift > 0; shift -= 7) {
            bytes_.push_back(static_cast<char>(0x80 | ((subid >> shift) & 0x7f)));
        }
        bytes_.push_back(static_cast<char>(subid & 0x7f));
    }
    const auto nameEnd = static_cast<uint32_t>(bytes_.size());
    bytes_ += binding.valueText();
    kept_.push_back(
        {nameEnd, static_cast<uint32_t>(bytes_.size()), binding.wholeNumber(), binding.type()});
}

ResponseBinding KeptBindings::binding(size_t index) const {
    const Kept& kept = kept_[index];
    const uint32_t start = index == 0 ? 0 : kept_[index - 1].valueEnd;
    std::vector<oid> name;
    oid subid = 0;
    for (uint32_t i = start; i < kept.nameEnd; ++i) {
        const auto byte = static_cast<uint8_t>(bytes_[i]);
        subid = subid << 7 | (byte & 0x7f);
        if ((byte & 0x80) == 0) {
            name.push_back(subid);
            subid = 0;
        }
    }
    return ResponseBinding(
        name, kept.type, kept.number,
        std::string_view(bytes_).substr(kept.nameEnd, kept.valueEnd - kept.nameEnd));
}

void KeptBindings::clear() {
    bytes_ = {};
    kept_ = {};
}
