#include "snmp/settings.h"

#include "snmp/library_lock.h"
#include "snmp/protocols.h"

namespace {

std::vector<uint8_t> passPhraseKey(AuthProtocol hash, const std::string& passPhrase, size_t room) {
    assertLibraryLocked();
    const std::span<const oid> hashOid = authProtocolOid(hash);
    // generate_Ku wants room for its largest hash on entry, and leaves it all on refusal.
    std::vector<uint8_t> key(room, 0);
    size_t length = key.size();
    generate_Ku(hashOid.data(), hashOid.size(), reinterpret_cast<const u_char*>(passPhrase.data()),
                passPhrase.size(), key.data(), &length);
    key.resize(length);
    return key;
}

}  // namespace

std::shared_ptr<const UserKeys> deriveUserKeys(const SnmpSettings& settings,
                                               const ComplaintSink& complaints) {
    auto keys = std::make_shared<UserKeys>();
    if (settings.version != SnmpVersion::v3 || settings.authProtocol == AuthProtocol::none) {
        return keys;  // no authentication: no key to make and no privacy to use
    }
    LibraryLock lock(complaints);
    keys->auth = passPhraseKey(settings.authProtocol, settings.authPassPhrase, USM_AUTH_KU_LEN);
    if (settings.privProtocol != PrivProtocol::none) {
        // The privacy pass phrase is hashed with the authentication hash.
        keys->priv = passPhraseKey(settings.authProtocol, settings.privPassPhrase, USM_PRIV_KU_LEN);
    }
    return keys;
}
