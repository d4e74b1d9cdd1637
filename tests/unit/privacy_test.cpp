// The 3DES-EDE key extension and cipher, against the key inputs of RFC 3414 A.3 (pass phrase
// "maplesyrup", engine ID 000000000000000000000002); the USM hooks' message framing against
// messages built independently (pycryptodome's DES3 and Python's hmac over hand-made BER).
#include <gtest/gtest.h>

#include <functional>

#include <span>
#include <string>
#include <tuple>
#include <vector>

#include "snmp/library.h"
#include "snmp/privacy_key.h"
#include "snmp/protocols.h"
#include "snmp/triple_des.h"
#include "snmp/triple_des_usm.h"

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
    LibraryLock lock;
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

// A 3DES user of the library's list: SHA-1, keys 01..14 and 21..40.
const std::vector<uint8_t> tripleDesEngine = fromHex("80000009030102030405060708");
const std::vector<uint8_t> globalData = fromHex("020103300f02021234020300ffe3040107020103");
const std::vector<uint8_t> scopedPdu =
    fromHex("301e040d800000090301020304050607080400a00b0201010201000201003000");

const SnmpLibrary library;

usmUser* tripleDesUser() {
    assertLibraryLocked();
    if (usmUser* user = usm_get_user(tripleDesEngine.data(), tripleDesEngine.size(), "tdes")) {
        return user;
    }
    usmUser* user = usm_create_user();
    user->name = strdup("tdes");
    user->secName = strdup("tdes");
    user->engineID = static_cast<u_char*>(netsnmp_memdup(tripleDesEngine.data(), 13));
    user->engineIDLen = tripleDesEngine.size();
    // Replacing the protocols usm_create_user gives every user.
    free(user->authProtocol);
    free(user->privProtocol);
    user->authProtocol = snmp_duplicate_objid(usmHMACSHA1AuthProtocol, 10);
    user->authProtocolLen = 10;
    user->privProtocol = snmp_duplicate_objid(usm3DESPrivProtocol, 10);
    user->privProtocolLen = 10;
    const std::vector<uint8_t> authKey = fromHex("0102030405060708090a0b0c0d0e0f1011121314");
    const std::vector<uint8_t> privKey =
        fromHex("2122232425262728292a2b2c2d2e2f303132333435363738393a3b3c3d3e3f40");
    user->authKey = static_cast<u_char*>(netsnmp_memdup(authKey.data(), authKey.size()));
    user->authKeyLen = authKey.size();
    user->privKey = static_cast<u_char*>(netsnmp_memdup(privKey.data(), privKey.size()));
    user->privKeyLen = privKey.size();
    usm_add_user(user);
    return user;
}

// The encoder's message, built in a buffer that starts too small.
std::vector<uint8_t> encoded(const std::function<int(snmp_secmod_outgoing_params&)>& encode) {
    size_t size = 16;
    size_t offset = 0;
    u_char* buffer = static_cast<u_char*>(malloc(size));
    snmp_secmod_outgoing_params params{};
    params.globalData = const_cast<u_char*>(globalData.data());
    params.globalDataLen = globalData.size();
    params.secEngineID = const_cast<u_char*>(tripleDesEngine.data());
    params.secEngineIDLen = tripleDesEngine.size();
    params.secName = const_cast<char*>("tdes");
    params.secNameLen = 4;
    params.secLevel = SNMP_SEC_LEVEL_AUTHPRIV;
    params.scopedPdu = const_cast<u_char*>(scopedPdu.data());
    params.scopedPduLen = scopedPdu.size();
    params.wholeMsg = &buffer;
    params.wholeMsgLen = &size;
    params.wholeMsgOffset = &offset;
    const int status = encode(params);
    std::vector<uint8_t> message(buffer + size - offset, buffer + size);
    free(buffer);
    return status == SNMPERR_SUCCESS ? message : std::vector<uint8_t>();
}

TEST(TripleDesUsm, FramesMessagesAsComputedElsewhere) {
    LibraryLock lock;
    const usmUser& user = *tripleDesUser();
    // Salt 0102030405060708, boots 7, time 123456.
    EXPECT_EQ(encoded([&](snmp_secmod_outgoing_params& params) {
                  return encodeTripleDesMessage(params, user, {1, 2, 3, 4, 5, 6, 7, 8}, 7, 123456);
              }),
              fromHex("306f020103300f02021234020300ffe304010702010304373035040d80000009030102"
                      "030405060708020107020301e240040474646573040c0f145bcfcfc9e73191cd446f04"
                      "0801020304050607080420ebd9ee624e5e9b3aad290795ffa8812803dd7cffc0b18d7f"
                      "8bc2c1093dce0fff"));

    // An agent's response: salt 00000000deadbeef, boots 9, time 4242.
    std::vector<uint8_t> received = fromHex(
        "306e020103300f02021234020300ffe304010702010304363034040d80000009030102030405060708"
        "02010902021092040474646573040c0c8f33e2c54e32ac98fbb647040800000000deadbeef0420c3e9"
        "c3ea7531b9d75374af2802bf9114719b65703214d1acfb0b146d1f9be362");
    std::vector<u_char> buffer(64);
    u_char* plaintext = nullptr;
    size_t plaintextLength = 0;
    snmp_secmod_incoming_params params{};
    params.secLevel = SNMP_SEC_LEVEL_AUTHPRIV;
    params.wholeMsg = received.data();
    params.wholeMsgLen = received.size();
    params.secParams = received.data() + 2 + globalData.size();
    params.scopedPdu = &plaintext;
    params.scopedPduLen = &plaintextLength;
    ASSERT_EQ(decryptTripleDesMessage(params, buffer.data(), buffer.size()), SNMPERR_SUCCESS);
    EXPECT_EQ(std::vector(plaintext, plaintext + plaintextLength),
              fromHex("301e040d800000090301020304050607080400a20b0201010201000201003000"));
}

TEST(TripleDesUsm, EveryMessageHasItsOwnSalt) {
    LibraryLock lock;
    tripleDesUser();
    const auto encode = find_sec_mod(USM_SEC_MODEL_NUMBER)->encode_reverse;
    // The salt lies before the encrypted PDU, 32 bytes and their header.
    const auto salt = [&] {
        const std::vector<uint8_t> message =
            encoded([&](snmp_secmod_outgoing_params& params) { return encode(&params); });
        return message.size() < 42 ? message : std::vector(message.end() - 42, message.end() - 34);
    };
    const std::vector<uint8_t> first = salt();
    EXPECT_EQ(first.size(), 8U);
    EXPECT_NE(first, salt());
}

}  // namespace
