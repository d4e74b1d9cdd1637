// Exchanges that do not wait for their answers: several requests in flight on a session's
// socket, each with the time-out and retries the session had when it was sent. The library is
// called under its lock; the waiting, by poll() on its sockets, is done outside it.
#pragma once

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <functional>
#include <memory>
#include <vector>

#include "snmp/request.h"
#include "snmp/stop_condition.h"

class SnmpSession;

class PendingExchanges {
  public:
    // Gets the response, or null when the last try timed out, the exchange failed otherwise,
    // or it was abandoned.
    using Completion = std::function<void(std::unique_ptr<SnmpResponse> response)>;

    explicit PendingExchanges(SnmpSession& session);
    // Abandons the exchanges still pending, dropping their completions.
    ~PendingExchanges();
    PendingExchanges(const PendingExchanges&) = delete;
    PendingExchanges& operator=(const PendingExchanges&) = delete;

    // Sends the request. Its completion runs in a later wait(), also when the send failed.
    void send(SnmpRequest& request, Completion completion);
    size_t pending() const { return exchanges_.size(); }
    // Blocks until at least one exchange has ended, then runs the completions of all that
    // have, in the order they were sent, and returns true; at once when none is pending. When
    // `stop` is reached first (it is looked at every 50 ms at most), every pending exchange is
    // abandoned, its completion run with a null response, and it returns false. An abandoned
    // request stays with the library, which resends it and drops its answer, until it times
    // out or the session closes.
    bool wait(const StopCondition& stop = {});

    struct Exchange;
    struct Ticket;

  private:
    static int onLibraryEvent(int operation, netsnmp_session* session, int requestId,
                              netsnmp_pdu* pdu, void* magic);
    void awaitLibrary(const StopCondition& stop);
    bool runEnded();
    void abandon();

    SnmpSession& session_;
    std::vector<std::unique_ptr<Exchange>> exchanges_;
};

// Exchanges one request, waiting no longer than `stop` allows; null when it failed, timed out
// or was stopped.
std::unique_ptr<SnmpResponse> exchangeOne(SnmpSession& session, SnmpRequest& request,
                                          const StopCondition& stop = {});
