#include "snmp/exchanges.h"

#include <net-snmp/library/large_fd_set.h>
#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <iterator>

#include "snmp/library_lock.h"
#include "snmp/session.h"

// Lives while the library holds the request: the library may call back after the exchange was
// abandoned, up to its last try or the session's close.
struct PendingExchanges::Ticket {
    Exchange* exchange;          // null once abandoned
    bool accepted = false;       // in the library's list of requests: the last event frees it
    bool securityError = false;  // the report that carried it comes next
};

struct PendingExchanges::Exchange {
    Completion completion;
    std::unique_ptr<SnmpResponse> response;
    Ticket* ticket = nullptr;  // null once the library is done with the request
    bool ended = false;
};

namespace {

// The longest poll: a stop condition is seen this soon.
constexpr int longestPollMilliseconds = 50;

int pollMilliseconds(int block, const timeval& libraryTimeout, const StopCondition& stop) {
    int milliseconds = longestPollMilliseconds;
    if (block == 0) {
        // Rounded up, or a request about to expire would be polled for again and again.
        const long library = libraryTimeout.tv_sec * 1000L + (libraryTimeout.tv_usec + 999) / 1000;
        milliseconds = static_cast<int>(std::min<long>(milliseconds, library));
    }
    if (stop.deadline) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
            *stop.deadline - std::chrono::steady_clock::now());
        milliseconds = static_cast<int>(std::clamp<long>(left.count(), 0, milliseconds));
    }
    return milliseconds;
}

}  // namespace

PendingExchanges::PendingExchanges(SnmpSession& session) : session_(session) {}

PendingExchanges::~PendingExchanges() {
    for (const std::unique_ptr<Exchange>& exchange : exchanges_) {
        exchange->completion = nullptr;
    }
    abandon();
}

void PendingExchanges::send(SnmpRequest& request, Completion completion) {
    Exchange& exchange = *exchanges_.emplace_back(std::make_unique<Exchange>());
    exchange.completion = std::move(completion);
    LibraryLock lock(session_.complaints());
    auto* ticket = new Ticket{&exchange};
    exchange.ticket = ticket;
    if (request.sendWithoutWaiting(onLibraryEvent, ticket)) {
        ticket->accepted = true;
        return;
    }
    // Refused: the library may have called back already, and holds nothing of it.
    delete ticket;
    exchange.ticket = nullptr;
    exchange.ended = true;
}

// The library calls back once per event of a request, under the lock; the request is gone
// from its list after exactly one of these: a response, the report after a security error,
// the last time-out, a failed send, or the session's close (a time-out).
int PendingExchanges::onLibraryEvent(int operation, netsnmp_session*, int, netsnmp_pdu* pdu,
                                     void* magic) {
    assertLibraryLocked();
    Ticket* ticket = static_cast<Ticket*>(magic);
    Exchange* exchange = ticket->exchange;
    switch (operation) {
        case NETSNMP_CALLBACK_OP_RECEIVED_MESSAGE:
            if (pdu->command == SNMP_MSG_REPORT) {
                // An SNMPv3 report: after a security error its last event; otherwise the
                // library resends (not in time window).
                if (!ticket->securityError) {
                    return 1;
                }
                break;
            }
            if (pdu->command != SNMP_MSG_RESPONSE) {
                return 0;  // not an answer: the request stays pending, as a synchronous one does
            }
            if (exchange != nullptr) {
                // The library frees its PDU after this call.
                if (netsnmp_pdu* copy = snmp_clone_pdu(pdu)) {
                    exchange->response = std::make_unique<SnmpResponse>(copy);
                }
            }
            break;
        case NETSNMP_CALLBACK_OP_SEC_ERROR:
            // Ends the exchange, not the request: the library calls again with the report
            // that carried the error (an engine ID's discovery ends so) before it drops it.
            ticket->securityError = true;
            if (exchange != nullptr) {
                exchange->ended = true;
                exchange->ticket = nullptr;
                ticket->exchange = nullptr;
            }
            return 1;
        case NETSNMP_CALLBACK_OP_TIMED_OUT:
        case NETSNMP_CALLBACK_OP_SEND_FAILED:
            break;
        default:
            return 1;  // a resend: still pending
    }
    if (exchange != nullptr) {
        exchange->ended = true;
        exchange->ticket = nullptr;
    }
    if (ticket->accepted) {
        delete ticket;
    }
    return 1;
}

bool PendingExchanges::wait(const StopCondition& stop) {
    while (!exchanges_.empty()) {
        if (runEnded()) {
            return true;
        }
        if (stop.reached()) {
            abandon();
            return false;
        }
        awaitLibrary(stop);
    }
    return true;
}

// One turn of the library's loop: which sockets to watch and for how long, the wait, then the
// read of what came or the resends and time-outs of what has expired.
void PendingExchanges::awaitLibrary(const StopCondition& stop) {
    void* handle = session_.handle();
    netsnmp_large_fd_set readable;
    std::vector<pollfd> sockets;
    int milliseconds = 0;
    {
        LibraryLock lock(session_.complaints());
        netsnmp_large_fd_set_init(&readable, FD_SETSIZE);
        int descriptors = 0;
        int block = 1;  // so the library sets the time-out to the earliest request's
        timeval timeout{};
        snmp_sess_select_info2_flags(handle, &descriptors, &readable, &timeout, &block,
                                     NETSNMP_SELECT_NOALARMS);
        for (int fd = 0; fd < descriptors; ++fd) {
            if (NETSNMP_LARGE_FD_ISSET(fd, &readable)) {
                sockets.push_back({fd, POLLIN, 0});
            }
        }
        milliseconds = pollMilliseconds(block, timeout, stop);
    }
    // select() would fail on descriptors past 1,023; poll() takes any.
    const int ready = poll(sockets.data(), sockets.size(), milliseconds);
    const int pollError = errno;

    LibraryLock lock(session_.complaints());
    if (ready > 0) {
        NETSNMP_LARGE_FD_ZERO(&readable);
        for (const pollfd& socket : sockets) {
            if (socket.revents != 0) {
                NETSNMP_LARGE_FD_SET(socket.fd, &readable);
            }
        }
        snmp_sess_read2(handle, &readable);
    } else if (ready == 0 || pollError != EINTR) {
        // Time for the library to resend or give up on what has expired, if anything has.
        snmp_sess_timeout(handle);
    }
    netsnmp_large_fd_set_cleanup(&readable);
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

void PendingExchanges::abandon() {
    std::vector<std::unique_ptr<Exchange>> abandoned = std::move(exchanges_);
    exchanges_.clear();
    {
        LibraryLock lock(session_.complaints());
        for (const std::unique_ptr<Exchange>& exchange : abandoned) {
            if (exchange->ticket != nullptr) {
                exchange->ticket->exchange = nullptr;
                exchange->ticket = nullptr;
            }
        }
    }
    // Outside the lock: a response held by an ended exchange frees its PDU under it.
    for (const std::unique_ptr<Exchange>& exchange : abandoned) {
        if (exchange->completion) {
            exchange->completion(nullptr);
        }
    }
}

std::unique_ptr<SnmpResponse> exchangeOne(SnmpSession& session, SnmpRequest& request,
                                          const StopCondition& stop) {
    std::unique_ptr<SnmpResponse> response;
    PendingExchanges exchanges(session);
    exchanges.send(request,
                   [&](std::unique_ptr<SnmpResponse> answer) { response = std::move(answer); });
    while (exchanges.pending() != 0) {
        exchanges.wait(stop);
    }
    return response;
}
