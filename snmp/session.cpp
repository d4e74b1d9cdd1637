#include "snmp/target.h"

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <span>

#include "snmp/privacy_protocols.h"

namespace {

std::span<oid> authProtocolFor(int32_t authProtocol) {
    switch (authProtocol) {
        case 1:
            return usmHMACMD5AuthProtocol;
        case 2:
            return usmHMACSHA1AuthProtocol;
        default:
            return usmNoAuthProtocol;
    }
}

// A heap copy the library frees with the session (snmp_sess_close frees these fields).
char* libraryString(const std::string& text) {
    return netsnmp_strdup_and_null(reinterpret_cast<const u_char*>(text.data()), text.size());
}

void setCommunity(netsnmp_session& session, const std::string& community) {
    session.community = reinterpret_cast<u_char*>(libraryString(community));
    session.community_len = community.size();
}

void setUserSecurity(netsnmp_session& session, const SnmpTargetSettings& settings) {
    session.securityName = libraryString(settings.userName);
    session.securityNameLen = settings.userName.size();

    const std::span<oid> auth = authProtocolFor(settings.authProtocol);
    session.securityAuthProto = snmp_duplicate_objid(auth.data(), auth.size());
    session.securityAuthProtoLen = auth.size();
    if (settings.authProtocol == 0) {
        // Without authentication there is no key to make and no privacy to use.
        session.securityLevel = SNMP_SEC_LEVEL_NOAUTH;
        return;
    }
    session.securityLevel =
        settings.privProtocol != 0 ? SNMP_SEC_LEVEL_AUTHPRIV : SNMP_SEC_LEVEL_AUTHNOPRIV;

    // generate_Ku refuses a buffer shorter than USM_AUTH_KU_LEN on entry.
    session.securityAuthKeyLen = USM_AUTH_KU_LEN;
    generate_Ku(auth.data(), auth.size(),
                reinterpret_cast<const u_char*>(settings.authPassword.data()),
                settings.authPassword.size(), session.securityAuthKey, &session.securityAuthKeyLen);

    const std::span<oid> priv = privacyProtocolFor(settings.privProtocol);
    session.securityPrivProto = snmp_duplicate_objid(priv.data(), priv.size());
    session.securityPrivProtoLen = priv.size();
    if (settings.privProtocol == 0) {
        return;
    }
    // The privacy pass phrase is hashed with the authentication hash.
    session.securityPrivKeyLen = USM_PRIV_KU_LEN;
    generate_Ku(auth.data(), auth.size(),
                reinterpret_cast<const u_char*>(settings.privPassword.data()),
                settings.privPassword.size(), session.securityPrivKey, &session.securityPrivKeyLen);
}

}  // namespace

std::string peerName(const std::string& agentAddress, uint32_t port) {
    const bool bracketed = agentAddress.starts_with('[') && agentAddress.ends_with(']');
    // An IPv6 literal has at least two colons; a host name or IPv4 address has none.
    const bool ipv6 = bracketed || agentAddress.find(':') != agentAddress.rfind(':');
    std::string peer;
    if (ipv6) {
        peer.append("udp6:");
    }
    if (ipv6 && !bracketed) {
        peer.append("[").append(agentAddress).append("]");
    } else {
        peer.append(agentAddress);
    }
    peer.append(":").append(std::to_string(port));
    return peer;
}

SnmpTarget::SnmpTarget() {
    settings_.port = 161;
}

SnmpTarget::~SnmpTarget() {
    close();
}

bool SnmpTarget::open(const SnmpTargetSettings& settings) {
    close();
    settings_ = settings;
    if (settings_.agentAddress.empty()) {
        // The library would take an empty peer name for 0.0.0.0 and send there.
        openError_ = "no agent address";
        return false;
    }

    netsnmp_session session;
    snmp_sess_init(&session);
    const std::string peer = peerName(settings_.agentAddress, settings_.port);
    session.peername = libraryString(peer);

    switch (settings_.versionCode) {
        case 1:
            session.version = SNMP_VERSION_2c;
            setCommunity(session, settings_.communityString);
            break;
        case 2:
            session.version = SNMP_VERSION_3;
            setUserSecurity(session, settings_);
            break;
        default:
            session.version = SNMP_VERSION_1;
            setCommunity(session, settings_.communityString);
            break;
    }

    session_ = snmp_sess_open(&session);
    openError_ = session_ == nullptr ? snmp_api_errstring(session.s_snmp_errno) : "";

    // snmp_sess_open copied what it needs; the template's heap fields are ours to free.
    SNMP_FREE(session.peername);
    SNMP_FREE(session.community);
    SNMP_FREE(session.securityName);
    SNMP_FREE(session.securityAuthProto);
    SNMP_FREE(session.securityPrivProto);
    return session_ != nullptr;
}

void SnmpTarget::close() {
    if (session_ != nullptr) {
        snmp_sess_close(session_);
        session_ = nullptr;
    }
}

void SnmpTarget::setExchangeLimits(long timeoutMicroseconds, int retries) {
    if (session_ == nullptr) {
        return;
    }
    netsnmp_session* session = snmp_sess_session(session_);
    session->timeout = timeoutMicroseconds;
    session->retries = retries;
}
