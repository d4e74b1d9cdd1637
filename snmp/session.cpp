#include "snmp/session.h"

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <span>

#include "snmp/exchanges.h"
#include "snmp/peer.h"
#include "snmp/protocols.h"
#include "snmp/request.h"

namespace {

// The session template borrows the settings' texts: snmp_sess_open copies every field it
// keeps, so nothing of the template needs freeing.
char* borrowed(const std::string& text) {
    return const_cast<char*>(text.c_str());
}

oid* borrowed(std::span<const oid> name) {
    return const_cast<oid*>(name.data());
}

void setCommunity(netsnmp_session& session, const std::string& community) {
    session.community = reinterpret_cast<u_char*>(borrowed(community));
    session.community_len = community.size();
}

size_t copyKey(const std::vector<uint8_t>& key, u_char* field, size_t room) {
    const size_t length = std::min(key.size(), room);
    std::copy_n(key.begin(), length, field);
    return length;
}

void setUserSecurity(netsnmp_session& session, const SnmpSettings& settings) {
    session.securityName = borrowed(settings.userName);
    session.securityNameLen = settings.userName.size();
    if (!settings.contextName.empty()) {
        session.contextName = borrowed(settings.contextName);
        session.contextNameLen = settings.contextName.size();
    }

    const std::span<const oid> auth = authProtocolOid(settings.authProtocol);
    session.securityAuthProto = borrowed(auth);
    session.securityAuthProtoLen = auth.size();
    if (settings.authProtocol == AuthProtocol::none) {
        // Without authentication there is no key to use and no privacy.
        session.securityLevel = SNMP_SEC_LEVEL_NOAUTH;
        return;
    }
    session.securityLevel = settings.privProtocol != PrivProtocol::none ? SNMP_SEC_LEVEL_AUTHPRIV
                                                                        : SNMP_SEC_LEVEL_AUTHNOPRIV;
    session.securityAuthKeyLen =
        copyKey(settings.keys->auth, session.securityAuthKey, sizeof session.securityAuthKey);

    const std::span<const oid> priv = privProtocolOid(settings.privProtocol);
    session.securityPrivProto = borrowed(priv);
    session.securityPrivProtoLen = priv.size();
    session.securityPrivKeyLen =
        copyKey(settings.keys->priv, session.securityPrivKey, sizeof session.securityPrivKey);
}

}  // namespace

SnmpSession::SnmpSession(ComplaintSink complaints) : complaints_(std::move(complaints)) {}

SnmpSession::~SnmpSession() {
    close();
}

bool SnmpSession::open(const SnmpSettings& settings) {
    return openSession(settings, true);
}

bool SnmpSession::open(const SnmpSettings& settings, const StopCondition& stop) {
    if (!openSession(settings, false)) {
        return false;
    }
    return settings_.version != SnmpVersion::v3 || discoverEngineId(stop);
}

bool SnmpSession::openSession(const SnmpSettings& settings, bool libraryDiscovers) {
    close();
    settings_ = settings;
    if (settings_.agentAddress.empty()) {
        // The library would take an empty peer name for 0.0.0.0 and send there.
        openError_ = "no agent address";
        return false;
    }
    const std::optional<std::string> peer = resolvePeer(settings_.agentAddress, settings_.port);
    if (!peer) {
        LibraryLock lock(complaints_);
        // The library's own words for a name it cannot resolve.
        const std::string written = writtenPeerName(settings_.agentAddress, settings_.port);
        snmp_set_detail(written.c_str());
        openError_ = snmp_api_errstring(SNMPERR_BAD_ADDRESS);
        return false;
    }
    if (settings_.version == SnmpVersion::v3 && !settings_.keys) {
        settings_.keys = deriveUserKeys(settings_, complaints_);
    }

    LibraryLock lock(complaints_);
    netsnmp_session session;
    snmp_sess_init(&session);
    session.peername = borrowed(*peer);
    if (!settings_.sourceAddress.empty()) {
        session.localname = borrowed(settings_.sourceAddress);
    }
    session.version = static_cast<long>(settings_.version);
    if (settings_.version == SnmpVersion::v3) {
        setUserSecurity(session, settings_);
    } else {
        setCommunity(session, settings_.community);
    }
    handle_ = snmp_sess_open(&session);
    if (handle_ == nullptr) {
        openError_ = snmp_api_errstring(session.s_snmp_errno);
        return false;
    }
    openError_.clear();
    if (!libraryDiscovers) {
        // The library clears its template's flag as it opens; set again, no send probes.
        snmp_sess_session(handle_)->flags |= SNMP_FLAGS_DONT_PROBE;
    }
    return true;
}

bool SnmpSession::discoverEngineId(const StopCondition& stop) {
    const std::unique_ptr<SnmpRequest> probe = SnmpRequest::engineIdProbe(*this);
    // The agent's Report ends the exchange without a response; the library has kept the
    // engine ID it carried.
    exchangeOne(*this, *probe, stop);
    LibraryLock lock(complaints_);
    netsnmp_session* session = snmp_sess_session(handle_);
    if (session->securityEngineIDLen == 0) {
        openError_ = stop.reached() ? "stopped before the agent's engine ID came"
                                    : snmp_api_errstring(SNMPERR_TIMEOUT);
        closeLocked();
        return false;
    }
    // What the library does after its own discovery: the USM makes the session's user for the
    // engine ID, with the keys localized to it.
    snmp_secmod_def* usm = find_sec_mod(USM_SEC_MODEL_NUMBER);
    if (usm == nullptr ||
        usm->post_probe_engineid(static_cast<session_list*>(handle_), session) != SNMPERR_SUCCESS) {
        openError_ = snmp_api_errstring(SNMPERR_USM_GENERICERROR);
        closeLocked();
        return false;
    }
    return true;
}

void SnmpSession::close() {
    if (handle_ != nullptr) {
        LibraryLock lock(complaints_);
        closeLocked();
    }
}

void SnmpSession::closeLocked() {
    assertLibraryLocked();
    // The library calls back for every request it still holds, which frees their tickets.
    snmp_sess_close(handle_);
    handle_ = nullptr;
}

void SnmpSession::setExchangeLimits(long timeoutMicroseconds, int retries) {
    if (handle_ == nullptr) {
        return;
    }
    LibraryLock lock(complaints_);
    netsnmp_session* session = snmp_sess_session(handle_);
    session->timeout = timeoutMicroseconds;
    session->retries = retries;
}
