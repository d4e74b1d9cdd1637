// One request on a session, its response and the response's bindings: each binding's name as
// sub-identifiers, its type and its value as a number, with the OID and value texts made on
// first use.
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

class SnmpSession;

class ResponseBinding {
  public:
    // A binding of a response, valid while the response is.
    explicit ResponseBinding(const netsnmp_variable_list* variable) : variable_(variable) {}
    // A binding kept after its response is gone.
    ResponseBinding(std::span<const oid> name, u_char type, uint64_t wholeNumber,
                    std::string_view valueText);

    // The binding every out-of-range index gives: both texts read "INVALID", no name, type
    // ASN_NULL, numbers 0.
    static ResponseBinding& invalid();

    std::span<const oid> name() const;
    u_char type() const { return variable_ != nullptr ? variable_->type : keptType_; }
    // The value as a number (see wholeNumberOf in snmp/render.h); number() is its low 32 bits,
    // which for INTEGER is the two's complement and for an OCTET STRING the number its digits
    // spell, modulo 2^32.
    uint64_t wholeNumber() const;
    uint32_t number() const { return static_cast<uint32_t>(wholeNumber()); }

    const std::string& oidText();
    const std::string& valueText();

  private:
    const netsnmp_variable_list* variable_;
    std::vector<oid> keptName_;
    uint64_t keptNumber_ = 0;
    u_char keptType_ = ASN_NULL;
    std::optional<std::string> cachedOidText_;
    std::optional<std::string> cachedValueText_;
};

class SnmpResponse {
  public:
    // Takes ownership of a response PDU.
    explicit SnmpResponse(netsnmp_pdu* pdu);
    // Frees the PDU, under the library lock.
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
    SnmpRequest(SnmpSession& session, uint32_t requestId, int command = SNMP_MSG_GETBULK);
    // The request by which the USM learns an agent's engine ID (RFC 3414 4): a GET without
    // bindings from the empty user name, noAuthNoPriv, answered by a Report that carries it.
    static std::unique_ptr<SnmpRequest> engineIdProbe(SnmpSession& session);
    ~SnmpRequest();
    SnmpRequest(const SnmpRequest&) = delete;
    SnmpRequest& operator=(const SnmpRequest&) = delete;

    void addNullBinding(std::span<const oid> name);
    // GETBULK: no non-repeaters, this many rows.
    void setRepetitions(long maxRepetitions);

    // Sends the PDU without waiting, under the library lock: the library calls `callback` with
    // `magic` as the exchange goes on. False when the library would not send it; the PDU then
    // stays ours. The library owns it from a true return on.
    bool sendWithoutWaiting(snmp_callback callback, void* magic);
    SnmpSession& session() const { return session_; }

  private:
    SnmpRequest(SnmpSession& session, netsnmp_pdu* pdu);

    netsnmp_pdu* pdu_;
    SnmpSession& session_;
    bool sent_ = false;
};
