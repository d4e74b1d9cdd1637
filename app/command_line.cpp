#include "app/command_line.h"

#include <cstdio>
#include <string>
#include <string_view>

namespace {

enum class Effect {
    help,
    debug,
    version,
    community,
    user,
    authPassword,
    privPassword,
    authProtocol,
    privProtocol,
    highCapacity,
    format,
    fast,
    watch,
};

struct Option {
    std::string_view text;
    Effect effect;
    int32_t code;  // the version or protocol code the option selects
};

// Matched in this order; the first equal entry applies.
constexpr Option options[] = {
    {"/?", Effect::help, 0},
    {"-?", Effect::help, 0},
    {"/h", Effect::help, 0},
    {"-h", Effect::help, 0},
    {"/help", Effect::help, 0},
    {"-help", Effect::help, 0},
    {"-d", Effect::debug, 0},
    {"-v1", Effect::version, static_cast<int32_t>(SnmpVersion::v1)},
    {"-v2c", Effect::version, static_cast<int32_t>(SnmpVersion::v2c)},
    {"-v3", Effect::version, static_cast<int32_t>(SnmpVersion::v3)},
    {"-c", Effect::community, 0},
    {"-user", Effect::user, 0},
    {"-auth", Effect::authPassword, 0},
    {"-priv", Effect::privPassword, 0},
    {"-md5", Effect::authProtocol, static_cast<int32_t>(AuthProtocol::md5)},
    {"-sha1", Effect::authProtocol, static_cast<int32_t>(AuthProtocol::sha1)},
    {"-des", Effect::privProtocol, static_cast<int32_t>(PrivProtocol::des)},
    {"-aes", Effect::privProtocol, static_cast<int32_t>(PrivProtocol::aes128)},
    {"-des3", Effect::privProtocol, static_cast<int32_t>(PrivProtocol::tripleDes)},
    {"-3des", Effect::privProtocol,
     static_cast<int32_t>(PrivProtocol::tripleDes)},  // as the usage text spells it
    {"-aes192", Effect::privProtocol, static_cast<int32_t>(PrivProtocol::aes192Router)},
    {"-aes256", Effect::privProtocol, static_cast<int32_t>(PrivProtocol::aes256Router)},
    {"-hc", Effect::highCapacity, 0},
    {"-json", Effect::format, static_cast<int32_t>(OutputFormat::json)},
    {"-metrics", Effect::format, static_cast<int32_t>(OutputFormat::metrics)},
    {"-fast", Effect::fast, 0},
    {"-watch", Effect::watch, 0},
};

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (lowerAscii(a[i]) != lowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

const Option* findOption(std::string_view entry) {
    for (const Option& option : options) {
        if (equalIgnoringCase(entry, option.text)) {
            return &option;
        }
    }
    return nullptr;
}

// Whole seconds from 1 to 3600, in plain digits; 0 for anything else.
uint32_t watchInterval(std::string_view text) {
    constexpr uint32_t longest = 3600;
    uint32_t seconds = 0;
    for (char digit : text) {
        if (digit < '0' || digit > '9' || seconds > longest) {
            return 0;
        }
        seconds = seconds * 10 + static_cast<uint32_t>(digit - '0');
    }
    return seconds <= longest ? seconds : 0;
}

std::string* valueField(Effect effect, SnmpSettings& settings) {
    switch (effect) {
        case Effect::community:
            return &settings.community;
        case Effect::user:
            return &settings.userName;
        case Effect::authPassword:
            return &settings.authPassPhrase;
        case Effect::privPassword:
            return &settings.privPassPhrase;
        default:
            return nullptr;
    }
}

}  // namespace

bool readCommandLine(int argc, const char* const* argv, SnmpSettings& settings,
                     RunOptions& runOptions) {
    if (argc < 3) {
        return false;
    }
    settings.agentName = argv[1];
    settings.agentAddress = argv[1];
    settings.port = 161;
    for (int i = 2; i < argc; ++i) {
        const Option* option = findOption(argv[i]);
        if (option == nullptr || option->effect == Effect::help) {
            return false;
        }
        if (std::string* field = valueField(option->effect, settings)) {
            if (i + 1 >= argc) {
                return false;  // the value is missing
            }
            *field = argv[++i];
            continue;
        }
        switch (option->effect) {
            case Effect::watch:
                if (i + 1 >= argc) {
                    return false;
                }
                runOptions.watchSeconds = watchInterval(argv[++i]);
                if (runOptions.watchSeconds == 0) {
                    return false;
                }
                break;
            case Effect::debug:
                runOptions.debug = true;
                break;
            case Effect::highCapacity:
                runOptions.highCapacity = true;
                break;
            case Effect::format:
                runOptions.format = static_cast<OutputFormat>(option->code);
                break;
            case Effect::fast:
                runOptions.fast = true;
                break;
            case Effect::version:
                settings.version = static_cast<SnmpVersion>(option->code);
                break;
            case Effect::authProtocol:
                settings.authProtocol = static_cast<AuthProtocol>(option->code);
                break;
            case Effect::privProtocol:
                settings.privProtocol = static_cast<PrivProtocol>(option->code);
                break;
            default:
                break;
        }
    }
    // The watch draws a screen of its own: no document, no debug lines.
    return runOptions.watchSeconds == 0 ||
           (runOptions.format == OutputFormat::text && !runOptions.debug);
}

void printUsage(const char* programName) {
    std::printf("  A program to use SNMP to fetch the CBWFQ configuration of a router.\n");
    std::printf("\n  Usage:\t%s ipAddress {options}\n\n", programName);
    std::printf("  Options:\n");
    std::printf("\t\t-? = usage help\n");
    std::printf("\t\t-v1 = use SNMP v1\n");
    std::printf("\t\t-v2c = use SNMP v2c\n");
    std::printf("\t\t-v3 = use SNMP v3\n");
    std::printf("\t\t-c = SNMP v2c community string\n");
    std::printf("\t\t-user \"username\" = SNMP v3 user name\n");
    std::printf("\t\t-auth \"pwd\" = SNMP v3 auth password\n");
    std::printf("\t\t-priv \"pwd\" = SNMP v3 priv password\n");
    std::printf("\t\t-md5 = SNMP v3 MD5 authentication\n");
    std::printf("\t\t-sha1 = SNMP v3 SHA1 authentication\n");
    std::printf("\t\t-des = SNMP v3 DES encryption\n");
    std::printf("\t\t-aes = SNMP v3 AES encryption\n");
    std::printf("\t\t-3des = SNMP v3 3DES encryption\n");
    std::printf("\t\t-aes192 = SNMP v3 AES192 encryption\n");
    std::printf("\t\t-aes256 = SNMP v3 AES256 encryption\n");
    std::printf("\t\t-hc = 64-bit class counters\n");
    std::printf("\t\t-json = print one JSON document\n");
    std::printf("\t\t-metrics = print Prometheus metrics\n");
    std::printf("\t\t-fast = larger requests, several at once\n");
    std::printf("\t\t-watch N = redraw class rates every N seconds\n");
    std::printf("\t\t-d = Debug mode\n");
}
