// The exporter's command line, in Prometheus' style: `--name=VALUE` or `--name VALUE`.
#pragma once

#include <chrono>
#include <string>

#include "exporter/log.h"

struct ExporterFlags {
    std::string configFile = "/etc/galvetrin/exporter.yml";
    std::string listenAddress = ":9721";
    std::string webConfigFile;  // empty: plain HTTP, no authentication
    bool configCheck = false;
    bool expandEnvironment = false;
    LogLevel logLevel = LogLevel::info;
    std::chrono::nanoseconds scrapeTimeoutOffset = std::chrono::milliseconds(500);
    int maxConcurrent = 64;
    int cacheMaxTargets = 10000;
    bool help = false;
    bool version = false;
};

// Fills `flags` from the arguments. Returns an empty text, or the one message for a bad flag.
std::string readFlags(int argc, const char* const* argv, ExporterFlags& flags);

std::string usageText();

// The listen address split as the server binds it: "" host means every address.
struct ListenAddress {
    std::string host;
    int port = 0;
};
bool parseListenAddress(const std::string& text, ListenAddress& address);
