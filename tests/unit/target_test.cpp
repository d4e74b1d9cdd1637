// The peer name a session is opened with; sessions themselves are tested against real agents.
#include "snmp/target.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

TEST(Target, PeerNames) {
    const std::pair<const char*, const char*> cases[] = {
        {"192.0.2.1", "192.0.2.1:161"},
        {"127.0.0.1", "127.0.0.1:161"},
        {"router.example", "router.example:161"},
        {"localhost", "localhost:161"},
        // IPv6 literals go over UDP/IPv6; the brackets keep the port apart from the address.
        {"2001:db8::1", "udp6:[2001:db8::1]:161"},
        {"[2001:db8::1]", "udp6:[2001:db8::1]:161"},
        {"::1", "udp6:[::1]:161"},
        {"[::1]", "udp6:[::1]:161"},
        {"fe80::1%eth0", "udp6:[fe80::1%eth0]:161"},
        {"::ffff:192.0.2.1", "udp6:[::ffff:192.0.2.1]:161"},
    };
    for (const auto& [address, expected] : cases) {
        EXPECT_EQ(peerName(address, 161), expected);
    }
}

}  // namespace
