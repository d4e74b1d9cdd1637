#include "snmp/privacy_key.h"

#include <array>

#include "snmp/library_lock.h"

namespace {

// The password-to-key rule of RFC 3414 applied to `passPhrase`; empty on failure.
std::vector<uint8_t> passPhraseKey(std::span<const oid> hash, std::span<const uint8_t> passPhrase) {
    assertLibraryLocked();
    std::array<u_char, USM_PRIV_KU_LEN> ku{};
    size_t kuLength = ku.size();
    if (generate_Ku(hash.data(), hash.size(), passPhrase.data(), passPhrase.size(), ku.data(),
                    &kuLength) != SNMPERR_SUCCESS) {
        return {};
    }
    return {ku.begin(), ku.begin() + kuLength};
}

}  // namespace

std::vector<uint8_t> localizedKey(std::span<const oid> hash, std::span<const uint8_t> engineId,
                                  std::span<const uint8_t> ku) {
    assertLibraryLocked();
    // Both key functions want room for their largest hash on entry.
    std::array<u_char, USM_PRIV_KU_LEN> kul{};
    size_t kulLength = kul.size();
    if (generate_kul(hash.data(), hash.size(), engineId.data(), engineId.size(), ku.data(),
                     ku.size(), kul.data(), &kulLength) != SNMPERR_SUCCESS) {
        return {};
    }
    return {kul.begin(), kul.begin() + kulLength};
}

std::vector<uint8_t> extendedPrivacyKey(std::span<const oid> hash,
                                        std::span<const uint8_t> engineId,
                                        std::span<const uint8_t> ku, size_t keyLength) {
    std::vector<uint8_t> key = localizedKey(hash, engineId, ku);
    if (key.empty() || key.size() >= keyLength) {
        return key;
    }
    while (key.size() < keyLength) {
        const std::vector<uint8_t> piece = localizedKey(hash, engineId, passPhraseKey(hash, key));
        if (piece.empty()) {
            return {};
        }
        key.insert(key.end(), piece.begin(), piece.end());
    }
    key.resize(keyLength);
    return key;
}
