// The library has no 3DES-EDE cipher, so four handlers of its registered USM definition are
// replaced in place: user creation, the two encoders and the decoder. Each takes 3DES users and
// messages and hands everything else to the library's own handler, so engine discovery,
// reports, time synchronisation, authNoPriv messages and the other ciphers stay the library's.
#include "snmp/triple_des_usm.h"

#include <arpa/inet.h>
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <net-snmp/library/lcd_time.h>

#include <array>
#include <atomic>
#include <cstring>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "snmp/library_lock.h"
#include "snmp/privacy_key.h"
#include "snmp/protocols.h"
#include "snmp/session_user.h"
#include "snmp/triple_des.h"

namespace {

// The library's handlers, copied before ours replace them.
snmp_secmod_def libraryUsm;

bool isTripleDes(const oid* protocol, size_t length) {
    return protocol != nullptr && snmp_oid_compare(protocol, length, usm3DESPrivProtocol,
                                                   std::size(usm3DESPrivProtocol)) == 0;
}

// The user that the library would pick for a message, when that user encrypts with 3DES.
usmUser* tripleDesUser(const u_char* engineId, size_t engineIdLength, const std::string& name) {
    usmUser* user = usm_get_user(engineId, engineIdLength, name.c_str());
    return user != nullptr && isTripleDes(user->privProtocol, user->privProtocolLen) ? user
                                                                                     : nullptr;
}

std::span<const uint8_t> privacyKey(const usmUser& user) {
    return {user.privKey, user.privKeyLen};
}

// --- User creation, after engine discovery ---

oid* protocolCopy(oid*& field, size_t& fieldLength, const oid* protocol, size_t length) {
    SNMP_FREE(field);
    field = snmp_duplicate_objid(protocol, length);
    fieldLength = length;
    return field;
}

// usm_create_user_from_session cannot make this user: it extends every privacy key by the
// rules of the ciphers it knows and fails on any other. This makes it under the same
// conditions, with the 3DES key.
int createTripleDesUser(netsnmp_session& session) {
    assertLibraryLocked();
    if ((session.flags & SNMP_FLAGS_USER_CREATED) != 0 ||
        session.securityModel != SNMP_SEC_MODEL_USM || session.version != SNMP_VERSION_3 ||
        session.securityNameLen == 0 || session.securityEngineIDLen == 0) {
        return SNMPERR_SUCCESS;
    }
    session.flags |= SNMP_FLAGS_USER_CREATED;
    const std::span<const uint8_t> engineId(session.securityEngineID, session.securityEngineIDLen);
    const std::span<const oid> hash(session.securityAuthProto, session.securityAuthProtoLen);
    const std::vector<uint8_t> authKey =
        localizedKey(hash, engineId, {session.securityAuthKey, session.securityAuthKeyLen});
    const std::vector<uint8_t> privKey = extendedPrivacyKey(
        hash, engineId, {session.securityPrivKey, session.securityPrivKeyLen}, tripleDesKeyLength);
    usmUser* user = authKey.empty() || privKey.empty() ? nullptr : usm_create_user();
    if (user == nullptr) {
        return SNMPERR_GENERR;
    }
    user->name = strdup(session.securityName);
    user->secName = strdup(session.securityName);
    user->engineID = static_cast<u_char*>(netsnmp_memdup(engineId.data(), engineId.size()));
    user->engineIDLen = engineId.size();
    user->authKey = static_cast<u_char*>(netsnmp_memdup(authKey.data(), authKey.size()));
    user->authKeyLen = authKey.size();
    user->privKey = static_cast<u_char*>(netsnmp_memdup(privKey.data(), privKey.size()));
    user->privKeyLen = privKey.size();
    const bool copied =
        protocolCopy(user->authProtocol, user->authProtocolLen, session.securityAuthProto,
                     session.securityAuthProtoLen) != nullptr &&
        protocolCopy(user->privProtocol, user->privProtocolLen, session.securityPrivProto,
                     session.securityPrivProtoLen) != nullptr;
    if (!copied || user->name == nullptr || user->secName == nullptr || user->engineID == nullptr ||
        user->authKey == nullptr || user->privKey == nullptr) {
        usm_free_user(user);
        return SNMPERR_GENERR;
    }
    user->userStorageType = ST_READONLY;
    usm_add_user(user);
    return SNMPERR_SUCCESS;
}

int createUser(session_list* sessions, netsnmp_session* session) {
    return replaceSessionUser(*session, [&] {
        return isTripleDes(session->securityPrivProto, session->securityPrivProtoLen)
                   ? createTripleDesUser(*session)
                   : libraryUsm.post_probe_engineid(sessions, session);
    });
}

// --- Outgoing messages ---

// The 3DES user an outgoing authPriv message is for, or null.
usmUser* tripleDesSender(const snmp_secmod_outgoing_params& params) {
    if (params.secLevel != SNMP_SEC_LEVEL_AUTHPRIV || params.secName == nullptr) {
        return nullptr;
    }
    return tripleDesUser(params.secEngineID, params.secEngineIDLen,
                         std::string(params.secName, params.secNameLen));
}

// A counter over the whole salt, in network order, that starts at random and grows by one per
// message of any run. RFC 3414's DES salt puts the engine boots in the first half, but the agent
// only uses the salt to form the IV, and what matters is that no IV comes twice under one key:
// a 32-bit counter could wrap in a long-lived process.
TripleDesSalt nextSalt() {
    static std::atomic<uint64_t> counter = [] {
        std::random_device random;
        return uint64_t{random()} << 32 | random();
    }();
    const uint64_t value = counter.fetch_add(1, std::memory_order_relaxed);
    TripleDesSalt salt;
    for (size_t i = 0; i < salt.size(); ++i) {
        salt[i] = static_cast<uint8_t>(value >> (8 * (salt.size() - 1 - i)));
    }
    return salt;
}

// Prepends BER fields to a message that is built from its end, as the library's reverse encoder
// does: `offset` counts the bytes written so far, which end the buffer.
class ReverseBuilder {
  public:
    explicit ReverseBuilder(const snmp_secmod_outgoing_params& params)
        : buffer_(params.wholeMsg), size_(params.wholeMsgLen), offset_(params.wholeMsgOffset) {}

    bool string(std::span<const uint8_t> bytes) {
        return asn_realloc_rbuild_string(buffer_, size_, offset_, 1, ASN_OCTET_STR, bytes.data(),
                                         bytes.size()) != 0;
    }
    bool integer(long value) {
        return asn_realloc_rbuild_int(buffer_, size_, offset_, 1, ASN_INTEGER, &value,
                                      sizeof(value)) != 0;
    }
    // A tag and length for the last `length` bytes written.
    bool header(u_char type, size_t length) {
        return asn_realloc_rbuild_header(buffer_, size_, offset_, 1, type, length) != 0;
    }
    // Bytes as they are, without a tag or length.
    bool raw(std::span<const uint8_t> bytes) {
        while (*size_ - *offset_ < bytes.size()) {
            if (asn_realloc(buffer_, size_) == 0) {
                return false;
            }
        }
        *offset_ += bytes.size();
        std::memcpy(at(*offset_), bytes.data(), bytes.size());
        return true;
    }
    void clear() { *offset_ = 0; }
    size_t written() const { return *offset_; }
    // The byte that lies `fromEnd` bytes before the end of the buffer.
    u_char* at(size_t fromEnd) const { return *buffer_ + *size_ - fromEnd; }

  private:
    u_char** buffer_;
    size_t* size_;
    size_t* offset_;
};

}  // namespace

int encodeTripleDesMessage(const snmp_secmod_outgoing_params& params, const usmUser& user,
                           const TripleDesSalt& salt, u_int boots, u_int time) {
    assertLibraryLocked();
    const std::vector<uint8_t> ciphertext =
        encryptScopedPdu(privacyKey(user), salt, {params.scopedPdu, params.scopedPduLen});
    if (ciphertext.empty()) {
        return SNMPERR_USM_ENCRYPTIONERROR;
    }
    const size_t macLength =
        sc_get_auth_maclen(sc_get_authtype(user.authProtocol, user.authProtocolLen));
    const std::vector<uint8_t> zeroMac(macLength, 0);
    const std::string_view name(params.secName, params.secNameLen);

    ReverseBuilder message(params);
    // The plaintext scoped PDU at the end of the buffer gives way to the encrypted one.
    message.clear();
    if (!message.string(ciphertext)) {
        return SNMPERR_TOO_LONG;
    }
    const size_t parametersEnd = message.written();
    if (!message.string(salt)) {
        return SNMPERR_TOO_LONG;
    }
    // Counted from the end of the buffer, as the offsets are: the MAC's first byte.
    const size_t macFromEnd = message.written() + macLength;
    const bool built =
        message.string(zeroMac) &&
        message.string({reinterpret_cast<const uint8_t*>(name.data()), name.size()}) &&
        message.integer(time) && message.integer(boots) &&
        message.string({user.engineID, user.engineIDLen}) &&
        message.header(ASN_SEQUENCE | ASN_CONSTRUCTOR, message.written() - parametersEnd) &&
        message.header(ASN_OCTET_STR, message.written() - parametersEnd) &&
        message.raw({params.globalData, params.globalDataLen}) &&
        message.header(ASN_SEQUENCE | ASN_CONSTRUCTOR, message.written());
    if (!built) {
        return SNMPERR_TOO_LONG;
    }
    // The MAC covers the whole message with its own field still zero.
    std::array<u_char, USM_MAX_AUTHSIZE> mac{};
    size_t written = macLength;
    if (sc_generate_keyed_hash(user.authProtocol, user.authProtocolLen, user.authKey,
                               user.authKeyLen, message.at(message.written()), message.written(),
                               mac.data(), &written) != SNMPERR_SUCCESS ||
        written != macLength) {
        return SNMPERR_USM_AUTHENTICATIONFAILURE;
    }
    std::memcpy(message.at(macFromEnd), mac.data(), macLength);
    return SNMPERR_SUCCESS;
}

namespace {

int encodeReverse(snmp_secmod_outgoing_params* params) {
    assertLibraryLocked();
    const usmUser* user = tripleDesSender(*params);
    if (user == nullptr) {
        return libraryUsm.encode_reverse(params);
    }
    // An engine not yet synchronised gives boots and time 0, as in the library: the agent's
    // notInTimeWindow report then sets them and the library sends again.
    u_int boots = 0;
    u_int time = 0;
    get_enginetime(user->engineID, user->engineIDLen, &boots, &time, FALSE);
    return encodeTripleDesMessage(*params, *user, nextSalt(), boots, time);
}

// --- Incoming messages ---

// Reads BER fields one after another.
class BerReader {
  public:
    BerReader(u_char* data, size_t length) : cursor_(data), remaining_(length) {}
    explicit BerReader(std::span<u_char> data) : BerReader(data.data(), data.size()) {}

    // The contents of the next field, which must be of `type`; nullopt when it is not there.
    std::optional<std::span<u_char>> next(u_char type) {
        size_t length = remaining_;
        u_char found = 0;
        u_char* contents = asn_parse_header(cursor_, &length, &found);
        if (contents == nullptr || found != type) {
            return std::nullopt;
        }
        remaining_ -= contents - cursor_ + length;
        cursor_ = contents + length;
        return std::span<u_char>(contents, length);
    }

  private:
    u_char* cursor_;
    size_t remaining_;
};

struct EncryptedMessage {
    const usmUser* user;
    std::span<const uint8_t> salt;
    std::span<const uint8_t> ciphertext;
};

// An incoming authPriv message for a 3DES user: the user from msgAuthoritativeEngineID and
// msgUserName, the salt from msgPrivacyParameters (RFC 3414 2.4) and the encryptedPDU that
// follows them.
std::optional<EncryptedMessage> tripleDesMessage(const snmp_secmod_incoming_params& params) {
    if (params.secLevel != SNMP_SEC_LEVEL_AUTHPRIV || params.secParams == nullptr) {
        return std::nullopt;
    }
    BerReader message(params.secParams, params.wholeMsgLen - (params.secParams - params.wholeMsg));
    const auto securityParameters = message.next(ASN_OCTET_STR);
    const auto encryptedPdu = message.next(ASN_OCTET_STR);
    const auto sequence = securityParameters
                              ? BerReader(*securityParameters).next(ASN_SEQUENCE | ASN_CONSTRUCTOR)
                              : std::nullopt;
    if (!encryptedPdu || !sequence) {
        return std::nullopt;
    }
    BerReader fields(*sequence);
    const auto engineId = fields.next(ASN_OCTET_STR);
    const auto boots = fields.next(ASN_INTEGER);
    const auto time = fields.next(ASN_INTEGER);
    const auto name = fields.next(ASN_OCTET_STR);
    const auto mac = fields.next(ASN_OCTET_STR);
    const auto salt = fields.next(ASN_OCTET_STR);
    if (!engineId || !boots || !time || !name || !mac || !salt) {
        return std::nullopt;
    }
    const usmUser* user =
        tripleDesUser(engineId->data(), engineId->size(), std::string(name->begin(), name->end()));
    if (user == nullptr) {
        return std::nullopt;
    }
    return EncryptedMessage{user, *salt, *encryptedPdu};
}

}  // namespace

int decryptTripleDesMessage(const snmp_secmod_incoming_params& params, u_char* buffer,
                            size_t room) {
    assertLibraryLocked();
    const std::optional<EncryptedMessage> message = tripleDesMessage(params);
    if (!message) {
        return SNMPERR_USM_DECRYPTIONERROR;
    }
    const std::vector<uint8_t> plaintext =
        decryptScopedPdu(privacyKey(*message->user), message->salt, message->ciphertext);
    if (plaintext.empty() || plaintext.size() > room) {
        return SNMPERR_USM_DECRYPTIONERROR;
    }
    std::memcpy(buffer, plaintext.data(), plaintext.size());
    *params.scopedPdu = buffer;
    *params.scopedPduLen = plaintext.size();
    return SNMPERR_SUCCESS;
}

namespace {

// The library parses the message and checks the user, the level, the MAC and the time window
// as for authNoPriv; the plaintext then goes where the library would have put its own.
int decode(snmp_secmod_incoming_params* params) {
    assertLibraryLocked();
    if (!tripleDesMessage(*params)) {
        return libraryUsm.decode(params);
    }
    // The library points these at the message as it decodes.
    u_char* buffer = *params->scopedPdu;
    const size_t room = *params->scopedPduLen;
    snmp_secmod_incoming_params authenticatedOnly = *params;
    authenticatedOnly.secLevel = SNMP_SEC_LEVEL_AUTHNOPRIV;
    if (const int status = libraryUsm.decode(&authenticatedOnly); status != SNMPERR_SUCCESS) {
        return status;
    }
    return decryptTripleDesMessage(*params, buffer, room);
}

}  // namespace

void installTripleDesPrivacy() {
    assertLibraryLocked();
    snmp_secmod_def* usm = find_sec_mod(USM_SEC_MODEL_NUMBER);
    if (usm == nullptr || usm->decode == decode) {
        return;
    }
    // unregister_sec_mod and snmp_shutdown free the registered definition, so it is changed
    // where it lies rather than replaced.
    libraryUsm = *usm;
    usm->post_probe_engineid = createUser;
    usm->encode_reverse = encodeReverse;
    usm->decode = decode;
    // 3DES messages are built by the reverse encoder only.
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_REVERSE_ENCODE, 1);
}
