// One GETBULK exchange on the target's session: the request, the response and its bindings
// with their texts made on first use.
#pragma once

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class SnmpTarget;

class ResponseBinding {
  public:
    explicit ResponseBinding(const netsnmp_variable_list* variable) : variable_(variable) {}
    // A binding kept after its response is gone: its two texts and its value's type.
    ResponseBinding(std::string_view oidText, std::string_view valueText, u_char type)
        : variable_(nullptr), cachedOidText_(oidText), cachedValueText_(valueText), type_(type) {}

    // The binding every out-of-range index gives: both texts read "INVALID".
    static ResponseBinding& invalid();

    const std::string& oidText();
    const std::string& valueText();
    // The value's ASN.1 type (ASN_NULL for the invalid binding).
    u_char type() const { return variable_ != nullptr ? variable_->type : type_; }
    // Null for the invalid binding and for a kept one.
    const netsnmp_variable_list* variable() const { return variable_; }

  private:
    const netsnmp_variable_list* variable_;
    std::optional<std::string> cachedOidText_;
    std::optional<std::string> cachedValueText_;
    u_char type_ = ASN_NULL;
};

class SnmpResponse {
  public:
    // Takes ownership of a response PDU.
    explicit SnmpResponse(netsnmp_pdu* pdu);
    ~SnmpResponse();
    SnmpResponse(const SnmpResponse&) = delete;
    SnmpResponse& operator=(const SnmpResponse&) = delete;

    // The error-status when it is one of RFC 3416's codes 1..18, else 0.
    int32_t errorCode() const;
    int32_t bindingCount() const { return static_cast<int32_t>(bindings_.size()); }
    // 1-based; any other index gives ResponseBinding::invalid().
    ResponseBinding& binding(int32_t index);

  private:
    netsnmp_pdu* pdu_;
    std::vector<ResponseBinding> bindings_;
};

class SnmpRequest {
  public:
    // A GETBULK PDU (or another command) with this request id, carrying the community for
    // SNMPv1 and SNMPv2c.
    SnmpRequest(SnmpTarget& target, uint32_t requestId, int command = SNMP_MSG_GETBULK);
    ~SnmpRequest();
    SnmpRequest(const SnmpRequest&) = delete;
    SnmpRequest& operator=(const SnmpRequest&) = delete;

    netsnmp_pdu* pdu() { return pdu_; }

    // Exchanges the PDU once; null on time-out, send or receive error, or without a session.
    // The library owns the PDU from here on, whatever the outcome.
    std::unique_ptr<SnmpResponse> send();

    // Sends the PDU without waiting: the library calls `callback` with `magic` as the exchange
    // goes on. False when the library would not send it; the PDU then stays ours.
    bool sendWithoutWaiting(snmp_callback callback, void* magic);

  private:
    netsnmp_pdu* pdu_;
    SnmpTarget& target_;
    bool sent_ = false;
};
