#include "snmp/peer.h"

#include <netdb.h>
#include <sys/socket.h>

#include <memory>

namespace {

bool isBracketed(const std::string& address) {
    return address.starts_with('[') && address.ends_with(']');
}

// An IPv6 literal has at least two colons; a host name or IPv4 address has none.
bool isIpv6Literal(const std::string& address) {
    return isBracketed(address) || address.find(':') != address.rfind(':');
}

std::optional<std::string> numericPeer(const std::string& host, int family, uint16_t port) {
    addrinfo hints{};
    hints.ai_family = family;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) {
        return std::nullopt;
    }
    const std::unique_ptr<addrinfo, decltype(&freeaddrinfo)> owner(found, freeaddrinfo);
    char text[NI_MAXHOST];
    if (getnameinfo(found->ai_addr, found->ai_addrlen, text, sizeof text, nullptr, 0,
                    NI_NUMERICHOST) != 0) {
        return std::nullopt;
    }
    const std::string number = family == AF_INET6 ? "[" + std::string(text) + "]" : text;
    return std::string(family == AF_INET6 ? "udp6:" : "udp:") + number + ":" + std::to_string(port);
}

}  // namespace

std::string writtenPeerName(const std::string& agentAddress, uint16_t port) {
    std::string peer;
    if (isIpv6Literal(agentAddress)) {
        peer.append("udp6:");
        peer.append(isBracketed(agentAddress) ? agentAddress : "[" + agentAddress + "]");
    } else {
        peer.append(agentAddress);
    }
    return peer.append(":").append(std::to_string(port));
}

std::optional<std::string> resolvePeer(const std::string& agentAddress, uint16_t port) {
    if (isIpv6Literal(agentAddress)) {
        const std::string host = isBracketed(agentAddress)
                                     ? agentAddress.substr(1, agentAddress.size() - 2)
                                     : agentAddress;
        return numericPeer(host, AF_INET6, port);
    }
    if (std::optional<std::string> peer = numericPeer(agentAddress, AF_INET, port)) {
        return peer;
    }
    return numericPeer(agentAddress, AF_INET6, port);
}
