// Reads the configuration file, collecting every error with its file, line and key rather
// than stopping at the first, so that --config.check shows them all at once.
#include <yaml-cpp/yaml.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>

#include "exporter/config.h"

#include "exporter/auth_settings.h"
#include "exporter/config_names.h"
#include "exporter/duration.h"

namespace {

// Net-SNMP refuses USM pass phrases shorter than this (RFC 3414's advice).
constexpr std::size_t minimumPassPhrase = 8;

// A secret as written: its value, or the file it is read from.
struct SecretSource {
    std::optional<YAML::Node> plain;
    std::optional<YAML::Node> file;
};

class Loader {
  public:
    Loader(const std::string& path, bool expandEnvironment)
        : path_(path), expandEnvironment_(expandEnvironment) {}

    ConfigLoad load() {
        auto config = std::make_shared<Config>();
        try {
            const YAML::Node root = YAML::LoadFile(path_);
            if (root.IsMap()) {
                readRoot(root, *config);
            } else if (!root.IsNull()) {
                error(root, "", "the file is not a map of auths and modules");
            }
        } catch (const YAML::BadFile&) {
            result_.errors.push_back(path_ + ": cannot read: " + std::strerror(errno));
        } catch (const YAML::Exception& exception) {
            error(exception.mark, "", exception.msg);
        }
        if (result_.errors.empty()) {
            for (auto& [name, auth] : config->auths) {
                if (auth.version == 3) {
                    auth.keys = deriveUserKeys(snmpSettingsFor(auth));
                }
            }
            result_.config = std::move(config);
        }
        return std::move(result_);
    }

  private:
    void error(const YAML::Mark& mark, const std::string& key, const std::string& reason) {
        std::string text = path_;
        if (!mark.is_null()) {
            text += ":" + std::to_string(mark.line + 1);
        }
        result_.errors.push_back(text + ": " + (key.empty() ? "" : key + ": ") + reason);
    }
    void error(const YAML::Node& at, const std::string& key, const std::string& reason) {
        error(at.Mark(), key, reason);
    }

    void readRoot(const YAML::Node& root, Config& config) {
        for (const auto& entry : root) {
            const std::string key = entry.first.as<std::string>();
            if (key == "auths") {
                readEntries(entry.second, key, config.auths, &Loader::readAuth);
            } else if (key == "modules") {
                readEntries(entry.second, key, config.modules, &Loader::readModule);
            } else {
                error(entry.first, key, "unknown key");
            }
        }
    }

    template <class Entry>
    void readEntries(const YAML::Node& node, const std::string& key,
                     std::map<std::string, Entry>& entries,
                     void (Loader::*read)(const YAML::Node&, const YAML::Node&, const std::string&,
                                          Entry&)) {
        if (node.IsNull()) {
            return;
        }
        if (!node.IsMap()) {
            error(node, key, "wrong type: want a map of names to entries");
            return;
        }
        for (const auto& entry : node) {
            const std::string name = entry.first.as<std::string>();
            const std::string entryKey = key + "." + name;
            if (!entry.second.IsMap()) {
                error(entry.first, entryKey, "wrong type: want a map of settings");
                continue;
            }
            (this->*read)(entry.first, entry.second, entryKey, entries[name]);
        }
    }

    void readAuth(const YAML::Node& name, const YAML::Node& node, const std::string& key,
                  AuthEntry& auth) {
        SecretSource community, password, privPassword;
        bool hasAuthProtocol = false, hasPrivProtocol = false;
        for (const auto& pair : node) {
            const YAML::Node& keyNode = pair.first;
            const YAML::Node& value = pair.second;
            const std::string setting = keyNode.as<std::string>();
            const std::string at = key + "." + setting;
            if (setting == "version") {
                readVersion(value, at, auth.version);
            } else if (setting == "community" || setting == "password" ||
                       setting == "priv_password") {
                (setting == "community"  ? community
                 : setting == "password" ? password
                                         : privPassword)
                    .plain = value;
            } else if (setting == "community_file") {
                community.file = value;
            } else if (setting == "password_file") {
                password.file = value;
            } else if (setting == "priv_password_file") {
                privPassword.file = value;
            } else if (setting == "security_level") {
                readNamed(value, at, securityLevelNames, auth.securityLevel);
            } else if (setting == "auth_protocol") {
                hasAuthProtocol = readNamed(value, at, authProtocolNames, auth.authProtocol);
            } else if (setting == "priv_protocol") {
                hasPrivProtocol = readNamed(value, at, privProtocolNames, auth.privProtocol);
            } else if (setting == "username") {
                readText(value, at, auth.username);
            } else if (setting == "context_name") {
                readText(value, at, auth.contextName);
            } else if (setting == "allowed_targets") {
                readAllowedTargets(value, at, auth.allowedTargets);
            } else {
                error(keyNode, at, "unknown key");
            }
        }
        // A secret that failed to read has its own error; "required" would only repeat it.
        const bool communityRead = readSecret(community, key + ".community", auth.community);
        const bool passwordRead = readSecret(password, key + ".password", auth.password);
        const bool privPasswordRead =
            readSecret(privPassword, key + ".priv_password", auth.privPassword);

        const auto require = [&](bool present, const char* what, const char* when) {
            if (!present) {
                error(name, key, std::string(what) + " is required " + when);
            }
        };
        const bool authenticated =
            auth.version == 3 && auth.securityLevel != SecurityLevel::noAuthNoPriv;
        const bool privacy = auth.version == 3 && auth.securityLevel == SecurityLevel::authPriv;
        require(auth.version != 2 || !communityRead || !auth.community.empty(), "community",
                "for version 2");
        require(auth.version != 3 || !auth.username.empty(), "username", "for version 3");
        require(!authenticated || !passwordRead || !auth.password.empty(), "password",
                "for authNoPriv and authPriv");
        require(!authenticated || hasAuthProtocol, "auth_protocol", "for authNoPriv and authPriv");
        require(!privacy || !privPasswordRead || !auth.privPassword.empty(), "priv_password",
                "for authPriv");
        require(!privacy || hasPrivProtocol, "priv_protocol", "for authPriv");
        if (!authenticated) {
            auth.authProtocol = AuthProtocol::none;
        }
        if (!privacy) {
            auth.privProtocol = PrivProtocol::none;
        }
        checkPassPhrase(name, key + ".password", authenticated && passwordRead, auth.password);
        checkPassPhrase(name, key + ".priv_password", privacy && privPasswordRead,
                        auth.privPassword);
        if (!auth.allowedTargets) {
            result_.warnings.push_back(key.substr(std::strlen("auths.")));
        }
    }

    void readModule(const YAML::Node&, const YAML::Node& node, const std::string& key,
                    ModuleEntry& module) {
        using std::chrono::nanoseconds;
        for (const auto& pair : node) {
            const YAML::Node& keyNode = pair.first;
            const YAML::Node& value = pair.second;
            const std::string setting = keyNode.as<std::string>();
            const std::string at = key + "." + setting;
            if (setting == "fast") {
                readValue(value, at, "a boolean", module.fast);
            } else if (setting == "action_counters") {
                readValue(value, at, "a boolean", module.actionCounters);
            } else if (setting == "max_in_flight") {
                readInteger(value, at, 1, 8, module.maxInFlight);
            } else if (setting == "retries") {
                readInteger(value, at, 0, 10, module.retries);
            } else if (setting == "timeout") {
                readDuration(value, at, nanoseconds(1), module.timeout);
            } else if (setting == "scrape_timeout") {
                readDuration(value, at, nanoseconds(1), module.scrapeTimeout);
            } else if (setting == "config_cache") {
                readDuration(value, at, nanoseconds(0), module.configCache);
            } else if (setting == "source_address") {
                if (readText(value, at, module.sourceAddress) &&
                    !parseIpAddress(module.sourceAddress)) {
                    error(value, at, "not an IP address");
                }
            } else {
                error(keyNode, at, "unknown key");
            }
        }
    }

    template <class Value>
    bool readValue(const YAML::Node& value, const std::string& at, const char* want, Value& into) {
        if (value.IsScalar()) {
            try {
                into = value.as<Value>();
                return true;
            } catch (const YAML::BadConversion&) {
            }
        }
        error(value, at, std::string("wrong type: want ") + want);
        return false;
    }

    bool readText(const YAML::Node& value, const std::string& at, std::string& into) {
        return readValue(value, at, "a string", into);
    }

    void readInteger(const YAML::Node& value, const std::string& at, int minimum, int maximum,
                     int& into) {
        int read = 0;
        if (!readValue(value, at, "an integer", read)) {
            return;
        }
        if (read < minimum || read > maximum) {
            error(
                value, at,
                "out of range: want " + std::to_string(minimum) + " to " + std::to_string(maximum));
            return;
        }
        into = read;
    }

    void readVersion(const YAML::Node& value, const std::string& at, int& version) {
        int read = 0;
        if (!readValue(value, at, "an integer", read)) {
            return;
        }
        if (read == 1) {
            error(value, at, "version 1 is not supported: the collection needs GETBULK");
        } else if (read != 2 && read != 3) {
            error(value, at, "out of range: want 2 or 3");
        } else {
            version = read;
        }
    }

    void readDuration(const YAML::Node& value, const std::string& at,
                      std::chrono::nanoseconds minimum, std::chrono::nanoseconds& into) {
        std::string text;
        if (!readValue(value, at, "a duration", text)) {
            return;
        }
        const auto duration = parseDuration(text);
        if (!duration) {
            error(value, at, "not a duration such as 500ms, 5s or 1m30s");
        } else if (*duration < minimum) {
            error(value, at, "out of range: want at least " + formatDuration(minimum));
        } else {
            into = *duration;
        }
    }

    template <class Value, std::size_t size>
    bool readNamed(const YAML::Node& value, const std::string& at,
                   const Named<Value> (&names)[size], Value& into) {
        std::string text;
        if (!readText(value, at, text)) {
            return false;
        }
        std::string known;
        for (const Named<Value>& named : names) {
            if (named.name == text) {
                into = named.value;
                return true;
            }
            known += (known.empty() ? "" : ", ") + std::string(named.name);
        }
        error(value, at, "unknown value \"" + text + "\": want one of " + known);
        return false;
    }

    void readAllowedTargets(const YAML::Node& value, const std::string& at,
                            std::optional<std::vector<AllowedTarget>>& into) {
        if (!value.IsSequence()) {
            error(value, at, "wrong type: want a list of addresses, networks and host names");
            return;
        }
        into.emplace();
        for (const YAML::Node& item : value) {
            std::string text;
            if (!readText(item, at, text)) {
                continue;
            }
            if (const auto allowed = parseAllowedTarget(text)) {
                into->push_back(*allowed);
            } else {
                error(item, at, "\"" + text + "\" is not an address, a network or a host name");
            }
        }
    }

    // The value itself, or the file's content without its trailing newline; never both.
    // Returns false after an error.
    bool readSecret(const SecretSource& source, const std::string& at, std::string& into) {
        const std::size_t errors = result_.errors.size();
        if (source.plain && source.file) {
            error(*source.file, at + "_file",
                  "give " + at.substr(at.rfind('.') + 1) + " or its _file, not both");
        } else if (source.plain) {
            if (readText(*source.plain, at, into) && expandEnvironment_) {
                expand(*source.plain, at, into);
            }
        } else if (source.file) {
            std::string file;
            if (readText(*source.file, at + "_file", file)) {
                readSecretFile(*source.file, at + "_file", file, into);
            }
        }
        return result_.errors.size() == errors;
    }

    void readSecretFile(const YAML::Node& at, const std::string& key, const std::string& file,
                        std::string& into) {
        // Relative paths start at the configuration file's folder, as in Prometheus.
        const std::string path =
            (std::filesystem::path(path_).parent_path() / std::filesystem::path(file)).string();
        const std::unique_ptr<FILE, int (*)(FILE*)> in(std::fopen(path.c_str(), "rb"), std::fclose);
        char buffer[4096];
        std::size_t length = 0;
        while (in && (length = std::fread(buffer, 1, sizeof buffer, in.get())) > 0) {
            into.append(buffer, length);
        }
        if (!in || std::ferror(in.get())) {
            error(at, key, "cannot read " + path + ": " + std::strerror(errno));
            return;
        }
        if (into.ends_with('\n')) {
            into.pop_back();
            if (into.ends_with('\r')) {
                into.pop_back();
            }
        }
    }

    // Replaces each ${NAME} from the environment; the error names the variable, never a value.
    void expand(const YAML::Node& at, const std::string& key, std::string& secret) {
        std::string expanded;
        std::size_t from = 0;
        for (std::size_t open; (open = secret.find("${", from)) != std::string::npos;) {
            const std::size_t close = secret.find('}', open);
            if (close == std::string::npos) {
                break;
            }
            const std::string name = secret.substr(open + 2, close - open - 2);
            const char* value = std::getenv(name.c_str());
            if (!value) {
                error(at, key, "environment variable " + name + " is not set");
                return;
            }
            expanded += secret.substr(from, open - from) + value;
            from = close + 1;
        }
        secret = expanded + secret.substr(from);
    }

    void checkPassPhrase(const YAML::Node& at, const std::string& key, bool used,
                         const std::string& passPhrase) {
        if (used && !passPhrase.empty() && passPhrase.size() < minimumPassPhrase) {
            error(at, key, "shorter than 8 characters, which SNMPv3 agents refuse");
        }
    }

    std::string path_;
    bool expandEnvironment_;
    ConfigLoad result_;
};

}  // namespace

ConfigLoad loadConfig(const std::string& path, bool expandEnvironment) {
    return Loader(path, expandEnvironment).load();
}
