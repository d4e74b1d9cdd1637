// The exporter's configuration file: named auths (how to reach a router over SNMP, with
// their secrets loaded) and named modules (how to collect), keyed as Prometheus' SNMP
// exporter keys its auths so that entries can be copied. Loaded into an immutable value.
#pragma once

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "exporter/snmp_protocols.h"
#include "exporter/target.h"

enum class SecurityLevel { noAuthNoPriv, authNoPriv, authPriv };

struct AuthEntry {
    int version = 2;  // 2 (SNMPv2c) or 3
    std::string community;
    SecurityLevel securityLevel = SecurityLevel::noAuthNoPriv;
    std::string username;
    std::string password;
    AuthProtocol authProtocol = AuthProtocol::none;
    PrivProtocol privProtocol = PrivProtocol::none;
    std::string privPassword;
    std::string contextName;
    // The pass phrases hashed once, at load (SNMPv3); the probes localize them per engine.
    std::shared_ptr<const UserKeys> keys;
    std::optional<std::vector<AllowedTarget>> allowedTargets;  // nothing: any target
};

struct ModuleEntry {
    bool fast = true;
    bool actionCounters = true;  // false: the probes read no action statistics table
    int maxInFlight = 8;
    std::chrono::nanoseconds timeout = std::chrono::seconds(5);  // per request
    int retries = 2;
    std::chrono::nanoseconds scrapeTimeout = std::chrono::seconds(120);
    std::chrono::nanoseconds configCache = std::chrono::minutes(15);  // 0: off
    std::string sourceAddress;                                        // empty: the system's
};

struct Config {
    std::map<std::string, AuthEntry> auths;
    std::map<std::string, ModuleEntry> modules;
};

struct ConfigLoad {
    std::shared_ptr<const Config> config;  // nothing when there are errors
    std::vector<std::string> errors;       // "FILE:LINE: KEY: reason", every one found
    std::vector<std::string> warnings;     // the auths usable against any target
};

// Secrets named `${NAME}` come from the environment when expandEnvironment is set.
ConfigLoad loadConfig(const std::string& path, bool expandEnvironment);

// The configuration as YAML in the file's own keys, every secret shown as <secret>.
std::string configYaml(const Config& config);
