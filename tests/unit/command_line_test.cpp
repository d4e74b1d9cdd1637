// The command line: the settings each combination of options gives, or the usage text.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

using Entries = std::vector<const char*>;

// The settings as "address:port vVERSION c= u= a= p= AUTH/PRIV dDEBUG hcHC", or "usage".
std::string settingsOf(Entries entries) {
    entries.insert(entries.begin(), "galvetrin");
    SnmpSettings s;
    RunOptions o;
    if (!readCommandLine(static_cast<int>(entries.size()), entries.data(), s, o)) {
        return "usage";
    }
    std::ostringstream out;
    out << s.agentName << (s.agentAddress == s.agentName ? ":" : "?") << s.port << " v"
        << static_cast<int>(s.version) << " c=" << s.community << " u=" << s.userName
        << " a=" << s.authPassPhrase << " p=" << s.privPassPhrase << " "
        << static_cast<int>(s.authProtocol) << "/" << static_cast<int>(s.privProtocol) << " d"
        << o.debug << " hc" << o.highCapacity;
    if (o.watchSeconds != 0) {
        out << " watch" << o.watchSeconds;
    }
    return out.str();
}

TEST(CommandLine, SettingsOrUsage) {
    // clang-format off
    const std::pair<Entries, const char*> cases[] = {
        {{"192.0.2.1", "-v2c", "-c", "public"}, "192.0.2.1:161 v1 c=public u= a= p= 0/0 d0 hc0"},
        {{"a", "-d"}, "a:161 v0 c= u= a= p= 0/0 d1 hc0"},
        {{"a", "-V2C", "-AES256", "-Md5", "-USER", "Admin", "-D", "-HC"},
         "a:161 v1 c= u=Admin a= p= 1/7 d1 hc1"},
        {{"a", "-v3", "-user", "u", "-auth", "ap", "-priv", "pp", "-sha1", "-des"},
         "a:161 v3 c= u=u a=ap p=pp 2/1 d0 hc0"},
        {{"a", "-des3"}, "a:161 v0 c= u= a= p= 0/3 d0 hc0"},
        {{"a", "-aes192", "-3DES"}, "a:161 v0 c= u= a= p= 0/3 d0 hc0"},
        // A value is taken as it is, whatever option it looks like; the last of a kind wins.
        {{"a", "-c", "-v3", "-user", "-3des", "-auth", "-?", "-priv", "-d"},
         "a:161 v0 c=-v3 u=-3des a=-? p=-d 0/0 d0 hc0"},
        {{"a", "-v3", "-v1", "-md5", "-sha1"}, "a:161 v0 c= u= a= p= 2/0 d0 hc0"},
        // The address is never read as an option.
        {{"-h", "-v2c"}, "-h:161 v1 c= u= a= p= 0/0 d0 hc0"},
        {{}, "usage"}, {{"192.0.2.1"}, "usage"}, {{"a", "/?"}, "usage"}, {{"a", "/h"}, "usage"},
        {{"a", "-Help"}, "usage"}, {{"a", "-x"}, "usage"}, {{"a", ""}, "usage"},
        {{"a", "-dd"}, "usage"}, {{"a", "-v2c", "-c"}, "usage"}, {{"a", "-priv"}, "usage"},
        // -watch: whole seconds from 1 to 3600, and neither a document nor debug lines.
        {{"a", "-Watch", "3600", "-hc"}, "a:161 v0 c= u= a= p= 0/0 d0 hc1 watch3600"},
        {{"a", "-watch", "0"}, "usage"}, {{"a", "-watch", "3601"}, "usage"},
        {{"a", "-watch", "99999999999"}, "usage"}, {{"a", "-watch", "1.5"}, "usage"},
        {{"a", "-watch", ""}, "usage"}, {{"a", "-watch"}, "usage"},
        {{"a", "-watch", "1", "-json"}, "usage"}, {{"a", "-metrics", "-watch", "1"}, "usage"},
        {{"a", "-d", "-watch", "1"}, "usage"}};
    // clang-format on
    for (const auto& [entries, expected] : cases) {
        EXPECT_EQ(settingsOf(entries), expected) << testing::PrintToString(entries);
    }
}

}  // namespace
