// The agent's address as the library takes it: resolved here, outside the library lock, so that
// a slow resolver holds up no other run, and handed over numeric.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The peer name as the library would take the address written: "address:port", or
// "udp6:[address]:port" for an IPv6 literal, which it would otherwise read as a host name
// with a port. Messages about an address that does not resolve name it so.
std::string writtenPeerName(const std::string& agentAddress, uint16_t port);

// The numeric peer name, "udp:192.0.2.1:161" or "udp6:[2001:db8::1]:161": an IPv6 literal as
// IPv6, anything else as IPv4 first and IPv6 when it has no IPv4 address, the order the
// library's "udp" and "udp6" transports try. Nullopt when the address does not resolve.
std::optional<std::string> resolvePeer(const std::string& agentAddress, uint16_t port);
