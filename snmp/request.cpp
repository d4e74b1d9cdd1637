#include "snmp/request.h"

#include "snmp/library_lock.h"
#include "snmp/render.h"
#include "snmp/session.h"

ResponseBinding::ResponseBinding(std::span<const oid> name, u_char type, uint64_t wholeNumber,
                                 std::string_view valueText)
    : variable_(nullptr),
      keptName_(name.begin(), name.end()),
      keptNumber_(wholeNumber),
      keptType_(type),
      cachedValueText_(valueText) {}

ResponseBinding& ResponseBinding::invalid() {
    static ResponseBinding binding = [] {
        ResponseBinding invalid({}, ASN_NULL, 0, "INVALID");
        invalid.cachedOidText_ = "INVALID";
        return invalid;
    }();
    return binding;
}

std::span<const oid> ResponseBinding::name() const {
    if (variable_ == nullptr) {
        return keptName_;
    }
    return {variable_->name, variable_->name_length};
}

uint64_t ResponseBinding::wholeNumber() const {
    return variable_ != nullptr ? wholeNumberOf(*variable_) : keptNumber_;
}

const std::string& ResponseBinding::oidText() {
    if (!cachedOidText_) {
        const std::span<const oid> subids = name();
        cachedOidText_ = formatOid(subids.data(), subids.size());
    }
    return *cachedOidText_;
}

const std::string& ResponseBinding::valueText() {
    if (!cachedValueText_) {
        cachedValueText_ = renderValue(*variable_);
    }
    return *cachedValueText_;
}

SnmpResponse::SnmpResponse(netsnmp_pdu* pdu) : pdu_(pdu) {
    size_t count = 0;
    for (const netsnmp_variable_list* v = pdu_->variables; v != nullptr; v = v->next_variable) {
        ++count;
    }
    bindings_.reserve(count);
    for (const netsnmp_variable_list* v = pdu_->variables; v != nullptr; v = v->next_variable) {
        bindings_.emplace_back(v);
    }
}

SnmpResponse::~SnmpResponse() {
    LibraryLock lock;
    snmp_free_pdu(pdu_);
}

int32_t SnmpResponse::errorCode() const {
    const long status = pdu_->errstat;
    return status >= 1 && status <= 18 ? static_cast<int32_t>(status) : 0;
}

ResponseBinding& SnmpResponse::binding(int32_t index) {
    if (index < 1 || index > bindingCount()) {
        return ResponseBinding::invalid();
    }
    return bindings_[static_cast<size_t>(index - 1)];
}

SnmpRequest::SnmpRequest(SnmpSession& session, netsnmp_pdu* pdu) : pdu_(pdu), session_(session) {}

SnmpRequest::SnmpRequest(SnmpSession& session, uint32_t requestId, int command)
    : session_(session) {
    LibraryLock lock(session_.complaints());
    pdu_ = snmp_pdu_create(command);
    pdu_->reqid = static_cast<long>(requestId);
    if (session_.settings().version != SnmpVersion::v3) {
        const std::string& community = session_.settings().community;
        SNMP_FREE(pdu_->community);
        pdu_->community = reinterpret_cast<u_char*>(netsnmp_strdup_and_null(
            reinterpret_cast<const u_char*>(community.data()), community.size()));
        pdu_->community_len = community.size();
    }
}

std::unique_ptr<SnmpRequest> SnmpRequest::engineIdProbe(SnmpSession& session) {
    LibraryLock lock(session.complaints());
    netsnmp_pdu* pdu = snmp_pdu_create(SNMP_MSG_GET);
    pdu->version = SNMP_VERSION_3;
    // An empty name of our own, or the library would take the session's user.
    pdu->securityName = strdup("");
    pdu->securityNameLen = 0;
    pdu->securityLevel = SNMP_SEC_LEVEL_NOAUTH;
    pdu->securityModel = SNMP_SEC_MODEL_USM;
    return std::unique_ptr<SnmpRequest>(new SnmpRequest(session, pdu));
}

SnmpRequest::~SnmpRequest() {
    if (!sent_) {
        LibraryLock lock(session_.complaints());
        snmp_free_pdu(pdu_);
    }
}

void SnmpRequest::addNullBinding(std::span<const oid> name) {
    LibraryLock lock(session_.complaints());
    snmp_add_null_var(pdu_, name.data(), name.size());
}

void SnmpRequest::setRepetitions(long maxRepetitions) {
    pdu_->non_repeaters = 0;
    pdu_->max_repetitions = maxRepetitions;
}

bool SnmpRequest::sendWithoutWaiting(snmp_callback callback, void* magic) {
    assertLibraryLocked();
    if (session_.handle() == nullptr) {
        return false;
    }
    // snmp_sess_async_send frees the PDU once sent and leaves a refused one to the caller.
    sent_ = snmp_sess_async_send(session_.handle(), pdu_, callback, magic) != 0;
    return sent_;
}
