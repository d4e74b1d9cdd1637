// The peer name a session is opened with, and opening and closing the one session.
#include "snmp/target.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "snmp/library.h"

namespace {

struct PeerCase {
    const char* address;
    const char* expected;
};

void PrintTo(const PeerCase& c, std::ostream* os) {
    *os << c.address;
}

const PeerCase peerCases[] = {
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

class PeerNameTest : public testing::TestWithParam<PeerCase> {};

TEST_P(PeerNameTest, Formats) {
    EXPECT_EQ(peerName(GetParam().address, 161), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Target, PeerNameTest, testing::ValuesIn(peerCases));

SnmpTargetSettings v2cSettings(const char* address) {
    SnmpTargetSettings settings;
    settings.versionCode = 1;
    settings.agentName = address;
    settings.agentAddress = address;
    settings.port = 161;
    settings.communityString = "public";
    return settings;
}

// The library is started once for the whole suite, as a run starts it once.
class SessionTest : public testing::Test {
  protected:
    static void SetUpTestSuite() { library = std::make_unique<SnmpLibrary>(); }
    static void TearDownTestSuite() { library.reset(); }
    static inline std::unique_ptr<SnmpLibrary> library;
};

TEST_F(SessionTest, OpensAndClosesWithoutSendingAnything) {
    SnmpTarget target;
    EXPECT_EQ(target.session(), nullptr);
    EXPECT_EQ(target.settings().port, 161U);

    ASSERT_TRUE(target.open(v2cSettings("127.0.0.1")));
    EXPECT_NE(target.session(), nullptr);
    EXPECT_EQ(target.settings().communityString, "public");
    EXPECT_EQ(target.openError(), "");

    ASSERT_TRUE(target.open(v2cSettings("::1")));
    EXPECT_NE(target.session(), nullptr);
    EXPECT_EQ(target.settings().agentAddress, "::1");

    target.close();
    EXPECT_EQ(target.session(), nullptr);
    target.close();
    EXPECT_EQ(target.session(), nullptr);
}

TEST_F(SessionTest, UnresolvableAddressLeavesNoSessionAndGivesTheReason) {
    SnmpTarget target;
    ASSERT_TRUE(target.open(v2cSettings("127.0.0.1")));
    // Neither name reaches a resolver: the C library refuses the first, the second is no
    // IPv6 literal at all.
    for (const char* address : {"bad!host", "2001:db8::zz"}) {
        EXPECT_FALSE(target.open(v2cSettings(address))) << address;
        EXPECT_EQ(target.session(), nullptr) << address;
        EXPECT_EQ(target.openError(), "Unknown host (" + peerName(address, 161) + ")");
    }
    ASSERT_TRUE(target.open(v2cSettings("127.0.0.1")));
    EXPECT_EQ(target.openError(), "");
}

}  // namespace
