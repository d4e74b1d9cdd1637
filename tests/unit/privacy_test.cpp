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

// The pass phrase's keys before localization (RFC 3414 A.3.1, A.3.2), MD5 for 1 and SHA-1 for 2.
std::span<const oid> hashFor(int32_t authProtocol) {
    return authProtocol == 1 ? std::span<const oid>(usmHMACMD5AuthProtocol)
                             : std::span<const oid>(usmHMACSHA1AuthProtocol);
}
std::vector<uint8_t> passPhraseKey(int32_t authProtocol) {
    return fromHex(authProtocol == 1 ? "9faf3283884e92834ebc9847d8edd963"
                                     : "9fb5cc0381497b3793528939ff788d5d79145211");
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
    const std::string text = "6d61706c657379727570336465";  // "maplesyrup3de", then padded
    for (const auto& [key, expected] :
         {std::pair(md5Extended, "1a20a4ed72d0275fc70bc72c7ded9b45"),
          std::pair(sha1Extended, "8ce7b20bbff545af38265c5f33d5a068")}) {
        const std::vector<uint8_t> ciphertext = encryptScopedPdu(fromHex(key), salt, fromHex(text));
        EXPECT_EQ(ciphertext, fromHex(expected));
        EXPECT_EQ(decryptScopedPdu(fromHex(key), salt, ciphertext), fromHex(text + "000000"));
    }
    // Whole blocks get no padding block; short keys and salts, and part blocks, give nothing.
    const std::vector<uint8_t> key = fromHex(md5Extended);
    EXPECT_EQ(decryptScopedPdu(key, salt, encryptScopedPdu(key, salt, salt)), salt);
    EXPECT_TRUE(encryptScopedPdu(std::span(key).first(24), salt, salt).empty());
    EXPECT_TRUE(decryptScopedPdu(std::span(key).first(24), salt, key).empty());
    EXPECT_TRUE(decryptScopedPdu(key, std::span(salt).first(7), key).empty());
    EXPECT_TRUE(decryptScopedPdu(key, key, key).empty());
    EXPECT_TRUE(decryptScopedPdu(key, salt, std::span(key).first(15)).empty());
    EXPECT_TRUE(decryptScopedPdu(key, salt, {}).empty());
}

}  // namespace
