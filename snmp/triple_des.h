// 3DES-EDE in CBC mode over a scoped PDU, as draft-reeder-snmpv3-usm-3desede defines it for the
// USM: the DES rules of RFC 3414 with a 24-byte key.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// Key bytes 1 to 24 are the cipher key, bytes 25 to 32 the pre-IV.
constexpr size_t tripleDesKeyLength = 32;
// msgPrivacyParameters: the sender's engine boots and a counter, 4 bytes each.
constexpr size_t tripleDesSaltLength = 8;

// The scoped PDU zero-padded to whole 8-byte blocks and encrypted with the IV salt XOR pre-IV.
// Empty when the key or the salt is short, or OpenSSL fails.
std::vector<uint8_t> encryptScopedPdu(std::span<const uint8_t> key, std::span<const uint8_t> salt,
                                      std::span<const uint8_t> scopedPdu);

// The plaintext of an encrypted scoped PDU, padding included. Empty when the key is short, the
// salt is not 8 bytes, the ciphertext is not a non-zero number of whole blocks, or OpenSSL fails.
std::vector<uint8_t> decryptScopedPdu(std::span<const uint8_t> key, std::span<const uint8_t> salt,
                                      std::span<const uint8_t> ciphertext);
