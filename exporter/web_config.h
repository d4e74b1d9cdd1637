// --web.config.file in the exporter toolkit's format: TLS (tls_server_config with cert_file
// and key_file) and basic authentication (basic_auth_users: name to bcrypt hash).
#pragma once

#include <map>
#include <string>
#include <vector>

struct WebConfig {
    std::string certFile;  // both empty: plain HTTP
    std::string keyFile;
    std::map<std::string, std::string> basicAuthUsers;  // empty: no authentication
};

// Fills `config`; returns every error, "FILE:LINE: KEY: reason".
std::vector<std::string> loadWebConfig(const std::string& path, WebConfig& config);

// Whether an Authorization header's "Basic ..." credentials name a user of `config` with its
// password. Always true when the configuration has no users.
bool authorized(const WebConfig& config, const std::string& authorization);
