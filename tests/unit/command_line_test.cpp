// The command line: which settings each combination of options gives, and which entries end in
// the usage text.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace {

struct Parsed {
    SnmpTargetSettings settings;
    int32_t debug = 0;
    bool run = false;
};

// The program name is added in front of `entries`.
Parsed parse(const std::vector<const char*>& entries) {
    std::vector<const char*> argv{"galvetrin"};
    argv.insert(argv.end(), entries.begin(), entries.end());
    Parsed parsed;
    parsed.run =
        readCommandLine(static_cast<int>(argv.size()), argv.data(), parsed.settings, parsed.debug);
    return parsed;
}

auto fields(const SnmpTargetSettings& s) {
    return std::tie(s.versionCode, s.agentName, s.agentAddress, s.port, s.communityString,
                    s.userName, s.authPassword, s.privPassword, s.authProtocol, s.privProtocol);
}

// The settings a run to `agent` starts from before any option is read.
SnmpTargetSettings startingFrom(const char* agent) {
    SnmpTargetSettings settings;
    settings.agentName = agent;
    settings.agentAddress = agent;
    settings.port = 161;
    return settings;
}

struct RunCase {
    const char* name;
    std::vector<const char*> entries;
    void (*expect)(SnmpTargetSettings&);
    int32_t debug;
};

void PrintTo(const RunCase& c, std::ostream* os) {
    *os << c.name;
}

const RunCase runCases[] = {
    {"v2cWithCommunity",
     {"192.0.2.1", "-v2c", "-c", "public"},
     [](SnmpTargetSettings& s) {
         s.versionCode = 1;
         s.communityString = "public";
     },
     0},
    {"debugAloneIsSnmpV1WithoutCommunity", {"192.0.2.1", "-d"}, [](SnmpTargetSettings&) {}, 1},
    {"upperAndMixedCase",
     {"192.0.2.1", "-V2C", "-AES256", "-Md5", "-USER", "Admin", "-D"},
     [](SnmpTargetSettings& s) {
         s.versionCode = 1;
         s.privProtocol = 5;
         s.authProtocol = 1;
         s.userName = "Admin";
     },
     1},
    {"communityTakesAnOptionAsItsValue",
     {"192.0.2.1", "-c", "-v3"},
     [](SnmpTargetSettings& s) { s.communityString = "-v3"; },
     0},
    {"valuesMayBeUnknownOptionsOrHelp",
     {"192.0.2.1", "-user", "-3des", "-auth", "-?", "-priv", "-d"},
     [](SnmpTargetSettings& s) {
         s.userName = "-3des";
         s.authPassword = "-?";
         s.privPassword = "-d";
     },
     0},
    {"lastVersionWins",
     {"192.0.2.1", "-v3", "-v1"},
     [](SnmpTargetSettings& s) { s.versionCode = 0; },
     0},
    {"lastAuthProtocolWins",
     {"192.0.2.1", "-md5", "-sha1"},
     [](SnmpTargetSettings& s) { s.authProtocol = 2; },
     0},
    {"fullV3",
     {"192.0.2.1", "-v3", "-user", "u", "-auth", "authpass", "-priv", "privpass", "-sha1", "-des"},
     [](SnmpTargetSettings& s) {
         s.versionCode = 2;
         s.userName = "u";
         s.authPassword = "authpass";
         s.privPassword = "privpass";
         s.authProtocol = 2;
         s.privProtocol = 1;
     },
     0},
    {"des3", {"a", "-des3"}, [](SnmpTargetSettings& s) { s.privProtocol = 3; }, 0},
    {"aes192", {"a", "-aes192"}, [](SnmpTargetSettings& s) { s.privProtocol = 4; }, 0},
    {"lastPrivacyWins",
     {"a", "-aes256", "-des3", "-aes"},
     [](SnmpTargetSettings& s) { s.privProtocol = 2; },
     0},
    {"emptyValue", {"a", "-v2c", "-c", ""}, [](SnmpTargetSettings& s) { s.versionCode = 1; }, 0},
    // The address is never read as an option, whatever it looks like.
    {"hyphenHAsAddress", {"-h", "-d"}, [](SnmpTargetSettings&) {}, 1},
    {"helpAsAddress", {"/?", "-v2c"}, [](SnmpTargetSettings& s) { s.versionCode = 1; }, 0},
};

class RunTest : public testing::TestWithParam<RunCase> {};

TEST_P(RunTest, GivesTheseSettings) {
    const RunCase& c = GetParam();
    const Parsed parsed = parse(c.entries);
    ASSERT_TRUE(parsed.run);
    SnmpTargetSettings expected = startingFrom(c.entries.front());
    c.expect(expected);
    EXPECT_EQ(fields(parsed.settings), fields(expected));
    EXPECT_EQ(parsed.debug, c.debug);
}

INSTANTIATE_TEST_SUITE_P(CommandLine, RunTest, testing::ValuesIn(runCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct UsageCase {
    const char* name;
    std::vector<const char*> entries;
};

void PrintTo(const UsageCase& c, std::ostream* os) {
    *os << c.name;
}

const UsageCase usageCases[] = {
    {"noArguments", {}},
    {"addressOnly", {"192.0.2.1"}},
    {"slashQuestion", {"a", "/?"}},
    {"hyphenQuestion", {"a", "-?"}},
    {"slashH", {"a", "/h"}},
    {"hyphenH", {"a", "-h"}},
    {"slashHelpUpperCase", {"a", "/HELP"}},
    {"hyphenHelp", {"a", "-Help"}},
    // The usage text calls it -3des; the option is -des3.
    {"threeDesSpelledAsInUsage", {"a", "-3des"}},
    {"unknownAfterValidOptions", {"a", "-v2c", "-c", "public", "-x"}},
    {"emptyEntry", {"a", ""}},
    {"prefixOfAnOption", {"a", "-v2"}},
    {"optionWithTrailingText", {"a", "-dd"}},
    {"communityLast", {"a", "-v2c", "-c"}},
    {"userLast", {"a", "-user"}},
    {"authLast", {"a", "-auth"}},
    {"privLast", {"a", "-priv"}},
    {"helpAfterValidOptions", {"a", "-v2c", "-help", "-c", "public"}},
};

class UsageTest : public testing::TestWithParam<UsageCase> {};

TEST_P(UsageTest, EndsInTheUsageText) {
    EXPECT_FALSE(parse(GetParam().entries).run);
}

INSTANTIATE_TEST_SUITE_P(CommandLine, UsageTest, testing::ValuesIn(usageCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
