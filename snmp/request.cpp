#include "snmp/request.h"

#include "snmp/render.h"
#include "snmp/target.h"

ResponseBinding& ResponseBinding::invalid() {
    static ResponseBinding binding = [] {
        ResponseBinding invalid(nullptr);
        invalid.cachedOidText_ = "INVALID";
        invalid.cachedValueText_ = "INVALID";
        return invalid;
    }();
    return binding;
}

const std::string& ResponseBinding::oidText() {
    if (!cachedOidText_) {
        cachedOidText_ = formatOid(variable_->name, variable_->name_length);
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

SnmpRequest::SnmpRequest(SnmpTarget& target, uint32_t requestId, int command)
    : pdu_(snmp_pdu_create(command)), target_(target) {
    pdu_->reqid = static_cast<long>(requestId);
    if (target_.settings().versionCode < 2) {
        const std::string& community = target_.settings().communityString;
        SNMP_FREE(pdu_->community);
        pdu_->community = reinterpret_cast<u_char*>(netsnmp_strdup_and_null(
            reinterpret_cast<const u_char*>(community.data()), community.size()));
        pdu_->community_len = community.size();
    }
}

SnmpRequest::~SnmpRequest() {
    if (!sent_) {
        snmp_free_pdu(pdu_);
    }
}

std::unique_ptr<SnmpResponse> SnmpRequest::send() {
    sent_ = true;
    if (target_.session() == nullptr) {
        snmp_free_pdu(pdu_);
        return nullptr;
    }
    netsnmp_pdu* reply = nullptr;
    if (snmp_sess_synch_response(target_.session(), pdu_, &reply) != STAT_SUCCESS) {
        // A report PDU (an SNMPv3 failure) can come back alongside the error status.
        if (reply != nullptr) {
            snmp_free_pdu(reply);
        }
        return nullptr;
    }
    return std::make_unique<SnmpResponse>(reply);
}

bool SnmpRequest::sendWithoutWaiting(snmp_callback callback, void* magic) {
    if (target_.session() == nullptr) {
        return false;
    }
    // snmp_sess_async_send frees the PDU once sent and leaves a refused one to the caller.
    sent_ = snmp_sess_async_send(target_.session(), pdu_, callback, magic) != 0;
    return sent_;
}
