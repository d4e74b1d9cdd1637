// The 3DES-EDE key extension and cipher, against the key inputs of RFC 3414 A.3 (pass phrase
// "maplesyrup", engine ID 000000000000000000000002).
#include <gtest/gtest.h>

#include <span>
#include <string>
#include <tuple>
#include <vector>

#include "snmp/privacy_key.h"
#include "snmp/triple_des.h"

namespace {

std::vector<uint8_t> fromHex(const std::string& hex) {
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes.push_back(static_cast<uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    }
    return bytes;
}

const std::vector<uint8_t> engineId = fromHex("000000000000000000000002");

std::span<const oid> hashFor(int32_t authProtocol) {
    return authProtocol == 1 ? std::span<const oid>(usmHMACMD5AuthProtocol)
                             : std::span<const oid>(usmHMACSHA1AuthProtocol);
}

std::vector<uint8_t> passPhraseKey(int32_t authProtocol) {
    const std::span<const oid> hash = hashFor(authProtocol);
    std::vector<uint8_t> ku(USM_PRIV_KU_LEN);
    size_t length = ku.size();
    const std::string passPhrase = "maplesyrup";
    EXPECT_EQ(
        generate_Ku(hash.data(), hash.size(), reinterpret_cast<const u_char*>(passPhrase.data()),
                    passPhrase.size(), ku.data(), &length),
        SNMPERR_SUCCESS);
    ku.resize(length);
    return ku;
}

const std::string md5Key = "526f5eed9fcce26f8964c2930787d82b";
const std::string md5Extended = md5Key + "79eff44a90650ee0a3a40abfac5acc12";
const std::string sha1Key = "6695febc9288e36282235fc7151f128497b38f3f";
const std::string sha1Extended = sha1Key + "9b8b6d78936ba6e7d19dfd9c";

// The library makes the other transforms' keys; the end-to-end runs check them against agents.
TEST(PrivacyKey, ExtendsTheLocalizedKeyToTheLengthAsked) {
    const std::tuple<int32_t, size_t, std::string> cases[] = {
        {1, 32, md5Extended},
        {2, 32, sha1Extended},
        {1, 24, md5Extended.substr(0, 48)},
        {2, 16, sha1Key},  // long enough already: not extended
    };
    for (const auto& [auth, length, expected] : cases) {
        EXPECT_EQ(extendedPrivacyKey(hashFor(auth), engineId, passPhraseKey(auth), length),
                  fromHex(expected));
    }
    EXPECT_TRUE(extendedPrivacyKey(hashFor(1), {}, passPhraseKey(1), tripleDesKeyLength).empty());
}

TEST(TripleDes, EncryptsAndDecryptsThePaddedScopedPdu) {
    const std::vector<uint8_t> salt = fromHex("0000000100000002");
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {md5Extended, "maplesyrup3de", "1a20a4ed72d0275fc70bc72c7ded9b45"},
        {sha1Extended, "maplesyrup3de", "8ce7b20bbff545af38265c5f33d5a068"},
        {md5Extended, "sixteen bytes!!!", ""},  // whole blocks get no padding block
    };
    for (const auto& [key, text, expected] : cases) {
        std::vector<uint8_t> plaintext(text.begin(), text.end());
        const std::vector<uint8_t> ciphertext = encryptScopedPdu(fromHex(key), salt, plaintext);
        if (!expected.empty()) {
            EXPECT_EQ(ciphertext, fromHex(expected));
        }
        plaintext.resize(16, 0);
        EXPECT_EQ(decryptScopedPdu(fromHex(key), salt, ciphertext), plaintext);
    }
    // Short keys and salts, and ciphertexts that are not whole blocks, give nothing.
    const std::vector<uint8_t> key(32, 0x5a);
    EXPECT_TRUE(encryptScopedPdu(std::span(key).first(24), salt, salt).empty());
    for (const auto& [keyLength, saltLength, textLength] :
         {std::tuple(32, 7, 16), std::tuple(32, 16, 16), std::tuple(32, 8, 15),
          std::tuple(32, 8, 0), std::tuple(24, 8, 16)}) {
        EXPECT_TRUE(decryptScopedPdu(std::vector<uint8_t>(keyLength, 0x5a),
                                     std::vector<uint8_t>(saltLength, 1),
                                     std::vector<uint8_t>(textLength, 2))
                        .empty());
    }
}

}  // namespace
