// One GETBULK exchange on the target's session: the request, the response and its bindings
// with their texts made on first use.
#pragma once

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "snmp/stop.h"

class SnmpTarget;

// A value as the collection reads numbers from it, made without rendering text.
struct BindingValue {
    u_char type = ASN_NULL;
    uint32_t number = 0;  // see ResponseBinding::number()
    uint64_t whole = 0;   // see ResponseBinding::wholeNumber()
};

class ResponseBinding {
  public:
    explicit ResponseBinding(const netsnmp_variable_list* variable);
    // A binding kept after its response is gone: its OID, its value as numbers and as text.
    ResponseBinding(std::span<const oid> name, BindingValue value, std::string_view valueText)
        : variable_(nullptr),
          name_(name.begin(), name.end()),
          cachedValueText_(valueText),
          value_(value) {}

    // The binding every out-of-range index gives: both texts read "INVALID".
    static ResponseBinding& invalid();

    const std::string& oidText();
    const std::string& valueText();
    std::span<const oid> name() const;
    // The value's ASN.1 type (ASN_NULL for the invalid binding).
    u_char type() const { return value_.type; }
    // INTEGER: the low 32 bits as two's complement; Counter32, Gauge32, TimeTicks: the value;
    // Counter64: its low 32 bits; an OCTET STRING of printable text: the number its leading
    // decimal digits spell; anything else 0.
    uint32_t number() const { return value_.number; }
    // The same, but a Counter64 whole.
    uint64_t wholeNumber() const { return value_.whole; }
    const BindingValue& value() const { return value_; }
    // Null for the invalid binding and for a kept one.
    const netsnmp_variable_list* variable() const { return variable_; }

  private:
    const netsnmp_variable_list* variable_;
    std::vector<oid> name_;  // a kept binding's OID
    std::optional<std::string> cachedOidText_;
    std::optional<std::string> cachedValueText_;
    BindingValue value_;
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
    void addNullBinding(std::span<const oid> name);
    // GETBULK: every binding repeats, this many rows.
    void setRepetitions(long maxRepetitions);

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

// One exchange, waiting as the stop condition allows. Null when it failed or was stopped.
std::unique_ptr<SnmpResponse> exchangeOne(SnmpTarget& target, SnmpRequest& request,
                                          const StopCondition& stop);
