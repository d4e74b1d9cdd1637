#include "exporter/flags.h"

#include <charconv>
#include <functional>
#include <string_view>

#include "exporter/duration.h"

namespace {

bool parseCount(std::string_view text, int minimum, int& value) {
    int parsed = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (error != std::errc() || end != text.data() + text.size() || parsed < minimum) {
        return false;
    }
    value = parsed;
    return true;
}

bool parseBool(std::string_view text, bool& value) {
    if (text != "true" && text != "false") {
        return false;
    }
    value = text == "true";
    return true;
}

struct Flag {
    std::string_view name;
    bool takesValue;  // a switch may still be given `=true` or `=false`
    std::function<bool(ExporterFlags&, std::string_view)> set;
};

const Flag flagTable[] = {
    {"config.file", true,
     [](ExporterFlags& f, std::string_view v) { return !(f.configFile = v).empty(); }},
    {"web.listen-address", true,
     [](ExporterFlags& f, std::string_view v) {
         ListenAddress parsed;
         f.listenAddress = v;
         return parseListenAddress(f.listenAddress, parsed);
     }},
    {"web.config.file", true,
     [](ExporterFlags& f, std::string_view v) { return !(f.webConfigFile = v).empty(); }},
    {"config.check", false,
     [](ExporterFlags& f, std::string_view v) { return parseBool(v, f.configCheck); }},
    {"config.expand-environment-variables", false,
     [](ExporterFlags& f, std::string_view v) { return parseBool(v, f.expandEnvironment); }},
    {"log.level", true,
     [](ExporterFlags& f, std::string_view v) {
         const auto level = parseLogLevel(v);
         f.logLevel = level.value_or(f.logLevel);
         return level.has_value();
     }},
    {"scrape.timeout-offset", true,
     [](ExporterFlags& f, std::string_view v) {
         const auto offset = parseDuration(v);
         f.scrapeTimeoutOffset = offset.value_or(f.scrapeTimeoutOffset);
         return offset.has_value();
     }},
    {"scrape.max-concurrent", true,
     [](ExporterFlags& f, std::string_view v) { return parseCount(v, 1, f.maxConcurrent); }},
    {"cache.max-targets", true,
     [](ExporterFlags& f, std::string_view v) { return parseCount(v, 0, f.cacheMaxTargets); }},
    {"help", false, [](ExporterFlags& f, std::string_view v) { return parseBool(v, f.help); }},
    {"version", false,
     [](ExporterFlags& f, std::string_view v) { return parseBool(v, f.version); }},
};

}  // namespace

std::string readFlags(int argc, const char* const* argv, ExporterFlags& flags) {
    for (int i = 1; i < argc; ++i) {
        std::string_view argument = argv[i];
        if (argument == "-h") {
            argument = "--help";
        }
        if (!argument.starts_with("--")) {
            return "unexpected argument " + std::string(argument);
        }
        argument.remove_prefix(2);
        const std::size_t equals = argument.find('=');
        const std::string_view name = argument.substr(0, equals);
        const Flag* flag = nullptr;
        for (const Flag& candidate : flagTable) {
            flag = candidate.name == name ? &candidate : flag;
        }
        if (!flag) {
            return "unknown flag --" + std::string(name);
        }
        std::string_view value = "true";
        if (equals != std::string_view::npos) {
            value = argument.substr(equals + 1);
        } else if (flag->takesValue) {
            if (++i == argc) {
                return "flag --" + std::string(name) + " needs a value";
            }
            value = argv[i];
        }
        if (!flag->set(flags, value)) {
            return "invalid value \"" + std::string(value) + "\" for flag --" + std::string(name);
        }
    }
    return "";
}

bool parseListenAddress(const std::string& text, ListenAddress& address) {
    const std::size_t colon = text.rfind(':');
    if (colon == std::string::npos) {
        return false;
    }
    std::string host = text.substr(0, colon);
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
        host = host.substr(1, host.size() - 2);
    }
    int port = 0;
    if (!parseCount(std::string_view(text).substr(colon + 1), 1, port) || port > 65535) {
        return false;
    }
    address = {host, port};
    return true;
}

std::string usageText() {
    return R"(usage: galvetrin-exporter [FLAG...]

Serves Prometheus metrics of routers' class-based QoS, one router per scrape of
/probe?target=ROUTER&auth=NAME&module=NAME.

  --config.file=PATH             auths and modules (default /etc/galvetrin/exporter.yml)
  --config.check                 load the configuration, print every error, exit 0 or 1
  --config.expand-environment-variables
                                 expand ${NAME} in secrets from the environment
  --web.listen-address=HOST:PORT address to listen on (default :9721)
  --web.config.file=PATH         TLS and basic authentication (exporter toolkit format)
  --log.level=LEVEL              debug, info, warn or error (default info)
  --scrape.timeout-offset=DURATION
                                 taken off Prometheus' scrape timeout (default 0.5s)
  --scrape.max-concurrent=N      probes in flight before 503 (default 64)
  --cache.max-targets=N          routers whose configuration is kept (default 10000)
  --help                         this text
  --version                      the version
)";
}
