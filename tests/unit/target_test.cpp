// Probe targets as a scrape writes them, and which of them an auth's allowed_targets admit.
#include "exporter/target.h"

#include <gtest/gtest.h>

namespace {

// "host port" or "refused".
std::string targetOf(const char* text) {
    std::string reason;
    const auto target = parseProbeTarget(text, reason);
    return target ? target->host + " " + std::to_string(target->port) : "refused";
}

TEST(ProbeTarget, HostsAddressesAndPorts) {
    const std::pair<const char*, const char*> cases[] = {
        {"192.0.2.1", "192.0.2.1 161"},
        {"192.0.2.1:1161", "192.0.2.1 1161"},
        {"[2001:db8::1]", "2001:db8::1 161"},
        {"[2001:db8::1]:162", "2001:db8::1 162"},
        {"router-1.Example.NET:65535", "router-1.Example.NET 65535"},
        {"9router", "9router 161"},
        {"2001:db8::1", "refused"},  // IPv6 needs brackets to keep its colons from the port
        {"[192.0.2.1]", "refused"},
        {"[2001:db8::1", "refused"},
        {"[2001:db8::1]x", "refused"},
        {"host:0", "refused"},
        {"host:65536", "refused"},
        {"host:", "refused"},
        {":161", "refused"},
        {"192.0.2.256", "refused"},  // looks like an address, is not one, nor a host name
        {"-router", "refused"},
        {"router-", "refused"},
        {"a..b", "refused"},
        {"under_score", "refused"},
        {"space host", "refused"},
        {"x/24", "refused"},
        {"http://router", "refused"},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(expected, targetOf(text)) << text;
    }
    const std::string label(63, 'a');
    const std::string longest = label + "." + label + "." + label + "." + std::string(61, 'a');
    EXPECT_TRUE(isHostName(longest));  // 253 characters
    EXPECT_FALSE(isHostName(longest + "a"));
    EXPECT_FALSE(isHostName(std::string(64, 'a') + ".example"));
}

TEST(AllowedTargets, NumericAndCaseInsensitive) {
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"192.0.2.0/24", "192.0.2.200", true},
        {"192.0.2.0/24", "192.0.3.1", false},
        {"192.0.2.1", "192.0.2.1:1161", true},
        {"192.0.2.1", "192.0.2.2", false},
        {"10.0.0.0/9", "10.127.255.255", true},
        {"10.0.0.0/9", "10.128.0.0", false},
        {"0.0.0.0/0", "203.0.113.9", true},
        {"0.0.0.0/0", "[::1]", false},  // families never mix
        {"2001:db8::/32", "[2001:db8:ffff::1]", true},
        {"2001:db8::/33", "[2001:db8:8000::1]", false},
        {"2001:db8::1", "[2001:DB8:0::1]:162", true},  // compared as numbers, not as text
        {"Router1.example.net", "ROUTER1.EXAMPLE.NET", true},
        {"router1.example.net", "router1", false},
        {"router1.example.net", "192.0.2.1", false},
        {"192.0.2.0/24", "router1.example.net", false},  // names are never resolved
    };
    for (const auto& [allowedText, targetText, expected] : cases) {
        const auto allowed = parseAllowedTarget(allowedText);
        std::string reason;
        const auto target = parseProbeTarget(targetText, reason);
        ASSERT_TRUE(allowed && target) << allowedText << " " << targetText;
        EXPECT_EQ(expected, admits(*allowed, *target)) << allowedText << " " << targetText;
    }
    for (const char* bad : {"192.0.2.0/33", "2001:db8::/129", "192.0.2.0/", "host/8", "-x", ""}) {
        EXPECT_FALSE(parseAllowedTarget(bad)) << bad;
    }
}

}  // namespace
