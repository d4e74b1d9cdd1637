// /config: the loaded configuration written back in the file's keys. Secrets are masked
// here, the one place the configuration leaves the process.
#include <yaml-cpp/yaml.h>

#include "exporter/config.h"
#include "exporter/config_names.h"
#include "exporter/duration.h"

namespace {

constexpr const char* masked = "<secret>";

void writeSecret(YAML::Emitter& out, const char* key, const std::string& secret) {
    if (!secret.empty()) {
        out << YAML::Key << key << YAML::Value << masked;
    }
}

void writeAuth(YAML::Emitter& out, const AuthEntry& auth) {
    out << YAML::BeginMap << YAML::Key << "version" << YAML::Value << auth.version;
    writeSecret(out, "community", auth.community);
    if (auth.version == 3) {
        out << YAML::Key << "security_level" << YAML::Value
            << std::string(nameOf(securityLevelNames, auth.securityLevel));
        out << YAML::Key << "username" << YAML::Value << auth.username;
        writeSecret(out, "password", auth.password);
        if (auth.authProtocol != AuthProtocol::none) {
            out << YAML::Key << "auth_protocol" << YAML::Value
                << std::string(nameOf(authProtocolNames, auth.authProtocol));
        }
        if (auth.privProtocol != PrivProtocol::none) {
            out << YAML::Key << "priv_protocol" << YAML::Value
                << std::string(nameOf(privProtocolNames, auth.privProtocol));
        }
        writeSecret(out, "priv_password", auth.privPassword);
        if (!auth.contextName.empty()) {
            out << YAML::Key << "context_name" << YAML::Value << auth.contextName;
        }
    }
    if (auth.allowedTargets) {
        out << YAML::Key << "allowed_targets" << YAML::Value << YAML::BeginSeq;
        for (const AllowedTarget& allowed : *auth.allowedTargets) {
            out << allowed.text;
        }
        out << YAML::EndSeq;
    }
    out << YAML::EndMap;
}

void writeModule(YAML::Emitter& out, const ModuleEntry& module) {
    out << YAML::BeginMap;
    out << YAML::Key << "fast" << YAML::Value << module.fast;
    out << YAML::Key << "action_counters" << YAML::Value << module.actionCounters;
    out << YAML::Key << "max_in_flight" << YAML::Value << module.maxInFlight;
    out << YAML::Key << "timeout" << YAML::Value << formatDuration(module.timeout);
    out << YAML::Key << "retries" << YAML::Value << module.retries;
    out << YAML::Key << "scrape_timeout" << YAML::Value << formatDuration(module.scrapeTimeout);
    out << YAML::Key << "config_cache" << YAML::Value << formatDuration(module.configCache);
    if (!module.sourceAddress.empty()) {
        out << YAML::Key << "source_address" << YAML::Value << module.sourceAddress;
    }
    out << YAML::EndMap;
}

template <class Entry>
void writeEntries(YAML::Emitter& out, const char* key, const std::map<std::string, Entry>& entries,
                  void (*write)(YAML::Emitter&, const Entry&)) {
    out << YAML::Key << key << YAML::Value << YAML::BeginMap;
    for (const auto& [name, entry] : entries) {
        out << YAML::Key << name << YAML::Value;
        write(out, entry);
    }
    out << YAML::EndMap;
}

}  // namespace

std::string configYaml(const Config& config) {
    YAML::Emitter out;
    out << YAML::BeginMap;
    writeEntries(out, "auths", config.auths, writeAuth);
    writeEntries(out, "modules", config.modules, writeModule);
    out << YAML::EndMap;
    return std::string(out.c_str()) + "\n";
}
