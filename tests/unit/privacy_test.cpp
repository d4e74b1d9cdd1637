// Privacy keys for every transform and the 3DES-EDE cipher, against the key inputs of RFC 3414
// A.3 (pass phrase "maplesyrup", engine ID 000000000000000000000002).
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <span>
#include <string>
#include <tuple>
#include <vector>

#include "snmp/privacy_key.h"
#include "snmp/privacy_protocols.h"
#include "snmp/triple_des.h"

namespace {

std::vector<uint8_t> fromHex(const std::string& hex) {
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes.push_back(static_cast<uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    }
    return bytes;
}

std::vector<uint8_t> bytesOf(const std::string& text) {
    return {text.begin(), text.end()};
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

// The key the library keeps for a user of the transform that `privProtocol` selects, made from
// the localized key as the library makes it when it creates the user.
std::vector<uint8_t> libraryPrivacyKey(int32_t authProtocol, int32_t privProtocol) {
    const std::span<const oid> hash = hashFor(authProtocol);
    const std::span<const oid> priv = privacyProtocolFor(privProtocol);
    const std::vector<uint8_t> kul = localizedKey(hash, engineId, passPhraseKey(authProtocol));
    usmUser* user = usm_create_user();
    SNMP_FREE(user->authProtocol);
    user->authProtocol = snmp_duplicate_objid(hash.data(), hash.size());
    user->authProtocolLen = hash.size();
    SNMP_FREE(user->privProtocol);
    user->privProtocol = snmp_duplicate_objid(priv.data(), priv.size());
    user->privProtocolLen = priv.size();
    user->engineID = static_cast<u_char*>(netsnmp_memdup(engineId.data(), engineId.size()));
    user->engineIDLen = engineId.size();
    user->privKey = static_cast<u_char*>(std::calloc(1, USM_PRIV_KU_LEN));
    std::memcpy(user->privKey, kul.data(), kul.size());
    user->privKeyLen = kul.size();
    EXPECT_EQ(usm_extend_user_kul(user, USM_PRIV_KU_LEN), SNMPERR_SUCCESS);
    std::vector<uint8_t> key(user->privKey, user->privKey + user->privKeyLen);
    usm_free_user(user);
    return key;
}

// The 3DES key is ours; the library makes the others. All must match routers' keys.
std::vector<uint8_t> privacyKeyFor(int32_t authProtocol, int32_t privProtocol) {
    if (privProtocol == 3) {
        return extendedPrivacyKey(hashFor(authProtocol), engineId, passPhraseKey(authProtocol),
                                  tripleDesKeyLength);
    }
    return libraryPrivacyKey(authProtocol, privProtocol);
}

const std::string md5Key = "526f5eed9fcce26f8964c2930787d82b";
const std::string md5Extended = md5Key + "79eff44a90650ee0a3a40abfac5acc12";
const std::string sha1Key = "6695febc9288e36282235fc7151f128497b38f3f";
const std::string sha1Extended = sha1Key + "9b8b6d78936ba6e7d19dfd9c";

TEST(PrivacyKey, MatchesTheReferenceKey) {
    const std::tuple<int32_t, int32_t, std::string> cases[] = {
        // DES and AES-128 keep the localized key: 16 bytes with MD5, 20 with SHA-1.
        {1, 1, md5Key},
        {1, 2, md5Key},
        {2, 1, sha1Key},
        {2, 2, sha1Key},
        // 3DES and AES-256 take 32 bytes of the same extension; AES-192 the first 24.
        {1, 3, md5Extended},
        {1, 5, md5Extended},
        {1, 4, md5Extended.substr(0, 48)},
        {2, 3, sha1Extended},
        {2, 5, sha1Extended},
        {2, 4, sha1Extended.substr(0, 48)},
    };
    for (const auto& [auth, priv, expected] : cases) {
        EXPECT_EQ(privacyKeyFor(auth, priv), fromHex(expected)) << auth << "/" << priv;
    }
}

TEST(PrivacyKey, ShortKeyMaterialIsNotExtended) {
    EXPECT_EQ(extendedPrivacyKey(hashFor(1), engineId, passPhraseKey(1), 16), fromHex(md5Key));
    EXPECT_EQ(extendedPrivacyKey(hashFor(2), engineId, passPhraseKey(2), 16), fromHex(sha1Key));
}

TEST(PrivacyKey, WithoutEngineIdThereIsNoKey) {
    EXPECT_TRUE(extendedPrivacyKey(hashFor(1), {}, passPhraseKey(1), tripleDesKeyLength).empty());
}

const std::vector<uint8_t> salt = fromHex("0000000100000002");

TEST(TripleDes, EncryptsAndDecryptsThePaddedScopedPdu) {
    const std::pair<std::string, std::string> cases[] = {
        {md5Extended, "1a20a4ed72d0275fc70bc72c7ded9b45"},
        {sha1Extended, "8ce7b20bbff545af38265c5f33d5a068"},
    };
    for (const auto& [key, expected] : cases) {
        std::vector<uint8_t> padded = bytesOf("maplesyrup3de");
        const std::vector<uint8_t> ciphertext = encryptScopedPdu(fromHex(key), salt, padded);
        EXPECT_EQ(ciphertext, fromHex(expected));
        padded.resize(16, 0);
        EXPECT_EQ(decryptScopedPdu(fromHex(key), salt, ciphertext), padded);
    }
}

TEST(TripleDes, WholeBlocksGetNoPaddingBlock) {
    const std::vector<uint8_t> key = fromHex(md5Extended);
    const std::vector<uint8_t> plaintext = bytesOf("sixteen bytes!!!");
    const std::vector<uint8_t> ciphertext = encryptScopedPdu(key, salt, plaintext);
    EXPECT_EQ(ciphertext.size(), 16u);
    EXPECT_EQ(decryptScopedPdu(key, salt, ciphertext), plaintext);
}

TEST(TripleDes, RefusesToDecrypt) {
    const struct {
        const char* what;
        size_t keyLength;
        size_t saltLength;
        size_t ciphertextLength;
    } cases[] = {
        {"salt of 7 bytes", 32, 7, 16},
        {"salt of 16 bytes", 32, 16, 16},
        {"empty salt", 32, 0, 16},
        {"ciphertext of 15 bytes", 32, 8, 15},
        {"ciphertext of 17 bytes", 32, 8, 17},
        {"empty ciphertext", 32, 8, 0},
        {"key of 24 bytes", 24, 8, 16},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(decryptScopedPdu(std::vector<uint8_t>(c.keyLength, 0x5a),
                                     std::vector<uint8_t>(c.saltLength, 1),
                                     std::vector<uint8_t>(c.ciphertextLength, 2))
                        .empty())
            << c.what;
    }
}

TEST(TripleDes, ShortKeyEncryptsNothing) {
    EXPECT_TRUE(encryptScopedPdu(std::vector<uint8_t>(24, 0x5a), salt, bytesOf("scoped")).empty());
}

}  // namespace
