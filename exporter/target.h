// Probe targets as a scrape names them, and the auths' allowed_targets that admit them.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// An IPv4 or IPv6 address in network order; IPv4 uses the first 4 bytes.
struct IpAddress {
    bool v6 = false;
    std::array<uint8_t, 16> bytes{};
};

std::optional<IpAddress> parseIpAddress(const std::string& text);

// RFC 1123 labels: letters, digits and inner hyphens, 1 to 63 each, 253 in all. A name whose
// last label is all digits is refused: it is a mistyped IPv4 address, not a host.
bool isHostName(std::string_view text);

struct ProbeTarget {
    std::string host;  // as written, without brackets
    uint16_t port = 161;
    std::optional<IpAddress> address;  // set when host is an address literal
};

// "host", "192.0.2.1", "[2001:db8::1]", each with an optional ":PORT". Nothing when the text
// is none of these; `reason` then says why in one line.
std::optional<ProbeTarget> parseProbeTarget(std::string_view text, std::string& reason);

// One entry of allowed_targets: an address, a network in CIDR, or a host name.
struct AllowedTarget {
    std::string text;  // as written, for /config
    std::optional<IpAddress> network;
    int prefixLength = 0;
    std::string hostName;  // lower case
};

std::optional<AllowedTarget> parseAllowedTarget(const std::string& text);

// Addresses compare numerically against addresses and networks of their own family; host
// names compare without regard to case against the name as the target writes it. Names are
// never resolved here: what a name resolves to can change between this check and the probe,
// and a lookup per scrape would let anyone who reaches the exporter drive its resolver.
bool admits(const AllowedTarget& allowed, const ProbeTarget& target);
