#include "snmp/triple_des.h"

#include <openssl/evp.h>

#include <array>
#include <memory>

namespace {

constexpr size_t blockLength = 8;
constexpr size_t cipherKeyLength = 24;

using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)>;

// Runs des-ede3-cbc over whole blocks in one direction; empty on failure.
std::vector<uint8_t> transform(std::span<const uint8_t> key, std::span<const uint8_t> salt,
                               std::span<const uint8_t> blocks, bool encrypt) {
    std::array<uint8_t, blockLength> iv{};
    for (size_t i = 0; i < blockLength; ++i) {
        iv[i] = salt[i] ^ key[cipherKeyLength + i];
    }
    CipherContext context(EVP_CIPHER_CTX_new(), EVP_CIPHER_CTX_free);
    std::vector<uint8_t> output(blocks.size());
    int written = 0;
    int finalWritten = 0;
    // The blocks are whole already: EVP's own padding would add a block of its own.
    const bool done =
        context &&
        EVP_CipherInit_ex(context.get(), EVP_des_ede3_cbc(), nullptr, key.data(), iv.data(),
                          encrypt ? 1 : 0) == 1 &&
        EVP_CIPHER_CTX_set_padding(context.get(), 0) == 1 &&
        EVP_CipherUpdate(context.get(), output.data(), &written, blocks.data(),
                         static_cast<int>(blocks.size())) == 1 &&
        EVP_CipherFinal_ex(context.get(), output.data() + written, &finalWritten) == 1;
    if (!done || static_cast<size_t>(written + finalWritten) != blocks.size()) {
        return {};
    }
    return output;
}

}  // namespace

std::vector<uint8_t> encryptScopedPdu(std::span<const uint8_t> key, std::span<const uint8_t> salt,
                                      std::span<const uint8_t> scopedPdu) {
    if (key.size() < tripleDesKeyLength || salt.size() != tripleDesSaltLength) {
        return {};
    }
    // Agents ignore the bytes after the scoped PDU's own length.
    std::vector<uint8_t> padded(scopedPdu.begin(), scopedPdu.end());
    padded.resize((scopedPdu.size() + blockLength - 1) / blockLength * blockLength, 0);
    return transform(key, salt, padded, true);
}

std::vector<uint8_t> decryptScopedPdu(std::span<const uint8_t> key, std::span<const uint8_t> salt,
                                      std::span<const uint8_t> ciphertext) {
    if (key.size() < tripleDesKeyLength || salt.size() != tripleDesSaltLength ||
        ciphertext.empty() || ciphertext.size() % blockLength != 0) {
        return {};
    }
    return transform(key, salt, ciphertext, false);
}
