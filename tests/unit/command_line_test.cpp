// The command line: which settings each combination of options gives, and which entries end in
// the usage text.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

using Entries = std::vector<const char*>;

struct Parsed {
    SnmpTargetSettings settings;
    RunOptions options;
    bool run = false;
};

// The program name is added in front of `entries`.
Parsed parse(const Entries& entries) {
    Entries argv{"galvetrin"};
    argv.insert(argv.end(), entries.begin(), entries.end());
    Parsed parsed;
    parsed.run = readCommandLine(static_cast<int>(argv.size()), argv.data(), parsed.settings,
                                 parsed.options);
    return parsed;
}

// "name=value " for every option-controlled setting that is not at its default.
std::string optionSettings(const Parsed& parsed) {
    const SnmpTargetSettings& s = parsed.settings;
    std::ostringstream out;
    const auto show = [&out](const char* name, const auto& value, bool set) {
        if (set) {
            out << name << '=' << value << ' ';
        }
    };
    show("version", s.versionCode, s.versionCode != 0);
    show("community", s.communityString, !s.communityString.empty());
    show("user", s.userName, !s.userName.empty());
    show("auth", s.authPassword, !s.authPassword.empty());
    show("priv", s.privPassword, !s.privPassword.empty());
    show("authProtocol", s.authProtocol, s.authProtocol != 0);
    show("privProtocol", s.privProtocol, s.privProtocol != 0);
    show("debug", parsed.options.debug, parsed.options.debug != 0);
    show("hc", parsed.options.highCapacity, parsed.options.highCapacity);
    return out.str();
}

TEST(CommandLine, GivesTheseSettings) {
    const std::pair<Entries, const char*> cases[] = {
        {{"192.0.2.1", "-v2c", "-c", "public"}, "version=1 community=public "},
        {{"192.0.2.1", "-d"}, "debug=1 "},  // SNMPv1 without a community
        {{"192.0.2.1", "-V2C", "-AES256", "-Md5", "-USER", "Admin", "-D"},
         "version=1 user=Admin authProtocol=1 privProtocol=5 debug=1 "},
        {{"192.0.2.1", "-v3", "-user", "u", "-auth", "ap", "-priv", "pp", "-sha1", "-des"},
         "version=2 user=u auth=ap priv=pp authProtocol=2 privProtocol=1 "},
        {{"a", "-des3"}, "privProtocol=3 "},
        {{"a", "-3DES", "-hc"}, "privProtocol=3 hc=1 "},
        {{"a", "-aes192"}, "privProtocol=4 "},
        {{"a", "-v2c", "-c", ""}, "version=1 "},
        // A value is taken as it is, whatever option it looks like.
        {{"a", "-c", "-v3"}, "community=-v3 "},
        {{"a", "-user", "-3des", "-auth", "-?", "-priv", "-d"}, "user=-3des auth=-? priv=-d "},
        // The last of one kind wins.
        {{"a", "-v3", "-v1"}, ""},
        {{"a", "-md5", "-sha1"}, "authProtocol=2 "},
        {{"a", "-aes256", "-des3", "-aes"}, "privProtocol=2 "},
        // The address is never read as an option, whatever it looks like.
        {{"-h", "-d"}, "debug=1 "},
        {{"/?", "-v2c"}, "version=1 "},
    };
    for (const auto& [entries, expected] : cases) {
        SCOPED_TRACE(testing::PrintToString(entries));
        const Parsed parsed = parse(entries);
        ASSERT_TRUE(parsed.run);
        EXPECT_EQ(parsed.settings.agentName, entries.front());
        EXPECT_EQ(parsed.settings.agentAddress, entries.front());
        EXPECT_EQ(parsed.settings.port, 161U);
        EXPECT_EQ(optionSettings(parsed), expected);
    }
}

TEST(CommandLine, EndsInTheUsageText) {
    const Entries cases[] = {{},
                             {"192.0.2.1"},
                             {"a", "/?"},
                             {"a", "-?"},
                             {"a", "/h"},
                             {"a", "-h"},
                             {"a", "/HELP"},
                             {"a", "-Help"},
                             {"a", "-v2c", "-c", "public", "-x"},
                             {"a", ""},
                             {"a", "-v2"},
                             {"a", "-dd"},
                             {"a", "-v2c", "-c"},
                             {"a", "-user"},
                             {"a", "-auth"},
                             {"a", "-priv"},
                             {"a", "-v2c", "-help", "-c", "public"}};
    for (const Entries& entries : cases) {
        EXPECT_FALSE(parse(entries).run) << testing::PrintToString(entries);
    }
}

}  // namespace
