#include "snmp/request.h"

#include "snmp/decimal.h"
#include "snmp/render.h"
#include "snmp/target.h"

namespace {

uint32_t low32(const netsnmp_variable_list& variable) {
    return variable.val.integer != nullptr ? static_cast<uint32_t>(*variable.val.integer) : 0;
}

BindingValue valueOf(const netsnmp_variable_list& variable) {
    BindingValue value{variable.type, 0, 0};
    switch (variable.type) {
        case ASN_INTEGER:
        case ASN_COUNTER:
        case ASN_GAUGE:
        case ASN_TIMETICKS:
        case ASN_UINTEGER:
            value.number = low32(variable);
            value.whole = value.number;
            break;
        case ASN_COUNTER64:
            if (variable.val.counter64 != nullptr) {
                value.number = static_cast<uint32_t>(variable.val.counter64->low);
                value.whole =
                    (static_cast<uint64_t>(variable.val.counter64->high & 0xffffffffU) << 32) |
                    value.number;
            }
            break;
        case ASN_OCTET_STR:
            if (isPrintableText(variable.val.string, variable.val_len)) {
                value.number = decimalToUnsigned(std::string_view(
                    reinterpret_cast<const char*>(variable.val.string), variable.val_len));
                value.whole = value.number;
            }
            break;
        default:
            break;
    }
    return value;
}

}  // namespace

ResponseBinding::ResponseBinding(const netsnmp_variable_list* variable)
    : variable_(variable), value_(valueOf(*variable)) {}

std::span<const oid> ResponseBinding::name() const {
    if (variable_ != nullptr) {
        return {variable_->name, variable_->name_length};
    }
    return name_;
}

ResponseBinding& ResponseBinding::invalid() {
    static ResponseBinding binding = [] {
        ResponseBinding invalid(std::span<const oid>(), BindingValue{}, "INVALID");
        invalid.cachedOidText_ = "INVALID";
        return invalid;
    }();
    return binding;
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

void SnmpRequest::addNullBinding(std::span<const oid> name) {
    snmp_add_null_var(pdu_, name.data(), name.size());
}

void SnmpRequest::setRepetitions(long maxRepetitions) {
    pdu_->non_repeaters = 0;
    pdu_->max_repetitions = maxRepetitions;
}

std::unique_ptr<SnmpResponse> exchangeOne(SnmpTarget&, SnmpRequest& request, const StopCondition&) {
    return request.send();
}
