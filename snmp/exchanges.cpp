#include "snmp/exchanges.h"

#include <sys/select.h>

#include <algorithm>
#include <cerrno>
#include <iterator>

#include "snmp/target.h"

PendingExchanges::~PendingExchanges() {
    for (const std::unique_ptr<Exchange>& exchange : exchanges_) {
        exchange->completion = nullptr;
    }
    while (!exchanges_.empty()) {
        wait();
    }
}

void PendingExchanges::send(SnmpRequest& request, Completion completion) {
    Exchange& exchange = *exchanges_.emplace_back(std::make_unique<Exchange>());
    exchange.completion = std::move(completion);
    if (!request.sendWithoutWaiting(onLibraryEvent, &exchange)) {
        exchange.ended = true;  // the library may have said so already; it holds nothing of it
    }
}

// The library calls back once per event of a request; the request is gone from its list after
// exactly one of these: a response, a security error, the last time-out or a failed send.
int PendingExchanges::onLibraryEvent(int operation, netsnmp_session*, int, netsnmp_pdu* pdu,
                                     void* magic) {
    Exchange& exchange = *static_cast<Exchange*>(magic);
    switch (operation) {
        case NETSNMP_CALLBACK_OP_RECEIVED_MESSAGE:
            if (pdu->command == SNMP_MSG_REPORT) {
                // An SNMPv3 report: the library resends (not in time window) or follows with a
                // security error.
                return 1;
            }
            if (pdu->command != SNMP_MSG_RESPONSE) {
                return 0;  // not an answer: the request stays pending, as a synchronous one does
            }
            if (!exchange.ended) {
                // The library frees its PDU after this call.
                if (netsnmp_pdu* copy = snmp_clone_pdu(pdu)) {
                    exchange.response = std::make_unique<SnmpResponse>(copy);
                }
            }
            break;
        case NETSNMP_CALLBACK_OP_TIMED_OUT:
        case NETSNMP_CALLBACK_OP_SEND_FAILED:
        case NETSNMP_CALLBACK_OP_SEC_ERROR:
            break;
        default:
            return 1;  // a resend: still pending
    }
    exchange.ended = true;
    return 1;
}

void PendingExchanges::wait(const StopCondition&) {
    while (!exchanges_.empty() && !runEnded()) {
        void* session = target_.session();
        int descriptors = 0;
        int block = 1;  // so the library sets the time-out to the earliest request's
        fd_set readable;
        FD_ZERO(&readable);
        timeval timeout{};
        snmp_sess_select_info_flags(session, &descriptors, &readable, &timeout, &block,
                                    NETSNMP_SELECT_NOALARMS);
        const int ready =
            select(descriptors, &readable, nullptr, nullptr, block != 0 ? nullptr : &timeout);
        if (ready > 0) {
            snmp_sess_read(session, &readable);
        } else if (ready == 0 || errno != EINTR) {
            // Time for the library to resend or give up on what has expired.
            snmp_sess_timeout(session);
        }
    }
}

bool PendingExchanges::runEnded() {
    const auto firstEnded =
        std::stable_partition(exchanges_.begin(), exchanges_.end(),
                              [](const auto& exchange) { return !exchange->ended; });
    if (firstEnded == exchanges_.end()) {
        return false;
    }
    // Completions may send again, which appends to the list: take the ended ones out first.
    std::vector<std::unique_ptr<Exchange>> ended(std::make_move_iterator(firstEnded),
                                                 std::make_move_iterator(exchanges_.end()));
    exchanges_.erase(firstEnded, exchanges_.end());
    for (const std::unique_ptr<Exchange>& exchange : ended) {
        if (exchange->completion) {
            exchange->completion(std::move(exchange->response));
        }
    }
    return true;
}
