// Exchanges that do not wait for their answers: several requests in flight on the target's one
// session, each with the time-out and retries the session had when it was sent. The library's
// own select loop, as snmp_sess_synch_response runs it for one request, here for all of them.
#pragma once

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <functional>
#include <memory>
#include <vector>

#include "snmp/request.h"

class SnmpTarget;

class PendingExchanges {
  public:
    // Gets the response, or null when the last try timed out or the exchange failed otherwise.
    using Completion = std::function<void(std::unique_ptr<SnmpResponse> response)>;

    explicit PendingExchanges(SnmpTarget& target) : target_(target) {}
    // Waits out the exchanges still pending, dropping their completions: the library calls
    // back into every request it holds, also when the session closes.
    ~PendingExchanges();
    PendingExchanges(const PendingExchanges&) = delete;
    PendingExchanges& operator=(const PendingExchanges&) = delete;

    // Sends the request. Its completion runs in a later wait(), also when the send failed.
    void send(SnmpRequest& request, Completion completion);
    size_t pending() const { return exchanges_.size(); }
    // Blocks until at least one exchange has ended, then runs the completions of all that
    // have, in the order they were sent. Returns at once when none is pending.
    void wait(const StopCondition& stop = {});

  private:
    struct Exchange {
        Completion completion;
        std::unique_ptr<SnmpResponse> response;
        bool ended = false;
    };
    static int onLibraryEvent(int operation, netsnmp_session* session, int requestId,
                              netsnmp_pdu* pdu, void* magic);
    bool runEnded();

    SnmpTarget& target_;
    std::vector<std::unique_ptr<Exchange>> exchanges_;
};
