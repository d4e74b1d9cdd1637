#include "exporter/web_config.h"

#include <crypt.h>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <yaml-cpp/yaml.h>

#include <cstring>
#include <filesystem>
#include <memory>

namespace {

class WebConfigLoader {
  public:
    explicit WebConfigLoader(const std::string& path) : path_(path) {}

    std::vector<std::string> load(WebConfig& config) {
        try {
            const YAML::Node root = YAML::LoadFile(path_);
            if (root.IsMap()) {
                readRoot(root, config);
            } else if (!root.IsNull()) {
                error(root.Mark(), "", "the file is not a map");
            }
        } catch (const YAML::BadFile&) {
            errors_.push_back(path_ + ": cannot read: " + std::strerror(errno));
        } catch (const YAML::Exception& exception) {
            error(exception.mark, "", exception.msg);
        }
        if (config.certFile.empty() != config.keyFile.empty()) {
            errors_.push_back(path_ + ": tls_server_config: give both cert_file and key_file");
        }
        return errors_;
    }

  private:
    void error(const YAML::Mark& mark, const std::string& key, const std::string& reason) {
        errors_.push_back(path_ + ":" + std::to_string(mark.line + 1) + ": " +
                          (key.empty() ? "" : key + ": ") + reason);
    }

    // Keys of the toolkit we do not implement are errors: ignoring, say, client_ca_file
    // would serve without the protection its author asked for.
    void readRoot(const YAML::Node& root, WebConfig& config) {
        for (const auto& pair : root) {
            const YAML::Node& keyNode = pair.first;
            const YAML::Node& value = pair.second;
            const std::string key = keyNode.as<std::string>();
            if (key != "tls_server_config" && key != "basic_auth_users") {
                error(keyNode.Mark(), key, "not supported");
            } else if (!value.IsMap()) {
                error(value.Mark(), key, "want a map");
            } else if (key == "tls_server_config") {
                readTls(value, config);
            } else {
                readUsers(value, config);
            }
        }
    }

    // Only bcrypt: crypt_r would as readily take a DES or MD5 hash, far quicker to guess.
    void readUsers(const YAML::Node& node, WebConfig& config) {
        for (const auto& pair : node) {
            const YAML::Node& user = pair.first;
            const YAML::Node& hash = pair.second;
            const std::string key = "basic_auth_users." + user.as<std::string>();
            const std::string text = this->text(hash, key);
            if (!text.starts_with("$2a$") && !text.starts_with("$2b$") &&
                !text.starts_with("$2y$")) {
                error(hash.Mark(), key, "not a bcrypt hash ($2a$, $2b$ or $2y$)");
                continue;
            }
            config.basicAuthUsers[user.as<std::string>()] = text;
        }
    }

    void readTls(const YAML::Node& node, WebConfig& config) {
        const std::filesystem::path folder = std::filesystem::path(path_).parent_path();
        for (const auto& pair : node) {
            const YAML::Node& keyNode = pair.first;
            const YAML::Node& value = pair.second;
            const std::string key = "tls_server_config." + keyNode.as<std::string>();
            std::string* file = key.ends_with(".cert_file")  ? &config.certFile
                                : key.ends_with(".key_file") ? &config.keyFile
                                                             : nullptr;
            if (!file) {
                error(keyNode.Mark(), key, "not supported");
                continue;
            }
            // Relative to the web configuration's folder, as the toolkit reads them.
            *file = (folder / text(value, key)).string();
        }
    }

    std::string text(const YAML::Node& value, const std::string& key) {
        if (!value.IsScalar()) {
            error(value.Mark(), key, "want a string");
            return "";
        }
        return value.as<std::string>();
    }

    std::string path_;
    std::vector<std::string> errors_;
};

std::string decodeBase64(const std::string& text) {
    if (text.empty() || text.size() % 4 != 0) {
        return "";
    }
    std::string decoded(text.size() / 4 * 3, '\0');
    const int length =
        EVP_DecodeBlock(reinterpret_cast<unsigned char*>(decoded.data()),
                        reinterpret_cast<const unsigned char*>(text.data()), text.size());
    if (length < 0) {
        return "";
    }
    // EVP_DecodeBlock counts the padding's bytes as zeros of the output.
    const std::size_t padding = text.ends_with("==") ? 2 : text.ends_with('=') ? 1 : 0;
    decoded.resize(length - padding);
    return decoded;
}

bool bcryptMatches(const std::string& password, const std::string& hash) {
    // crypt_r's state is some 32 KiB: too large for a server worker's stack.
    const auto data = std::make_unique<crypt_data>();
    const char* computed = crypt_r(password.c_str(), hash.c_str(), data.get());
    return computed && std::strlen(computed) == hash.size() &&
           CRYPTO_memcmp(computed, hash.data(), hash.size()) == 0;
}

}  // namespace

std::vector<std::string> loadWebConfig(const std::string& path, WebConfig& config) {
    return WebConfigLoader(path).load(config);
}

bool authorized(const WebConfig& config, const std::string& authorization) {
    if (config.basicAuthUsers.empty()) {
        return true;
    }
    constexpr std::string_view scheme = "Basic ";
    if (!authorization.starts_with(scheme)) {
        return false;
    }
    const std::string credentials = decodeBase64(authorization.substr(scheme.size()));
    const std::size_t colon = credentials.find(':');
    if (colon == std::string::npos) {
        return false;
    }
    const auto user = config.basicAuthUsers.find(credentials.substr(0, colon));
    return user != config.basicAuthUsers.end() &&
           bcryptMatches(credentials.substr(colon + 1), user->second);
}
