#include "exporter/probe_request.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

// The one value of a parameter, its default when absent; nothing when given twice.
std::optional<std::string> single(const QueryParameters& parameters, const std::string& name,
                                  const std::string& fallback) {
    const auto [first, last] = parameters.equal_range(name);
    if (first == last) {
        return fallback;
    }
    if (std::next(first) != last) {
        return std::nullopt;
    }
    return first->second.empty() ? fallback : first->second;
}

std::optional<std::chrono::nanoseconds> headerTimeout(const std::string& text,
                                                      std::string& reason) {
    char* end = nullptr;
    const double seconds = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !std::isfinite(seconds) || seconds <= 0 || seconds > 1e9) {
        reason = "X-Prometheus-Scrape-Timeout-Seconds is not a positive number";
        return std::nullopt;
    }
    return std::chrono::nanoseconds(static_cast<int64_t>(seconds * 1e9));
}

}  // namespace

std::chrono::nanoseconds probeTimeout(std::optional<std::chrono::nanoseconds> scrapeTimeout,
                                      std::chrono::nanoseconds offset,
                                      std::chrono::nanoseconds moduleTimeout) {
    if (!scrapeTimeout) {
        return moduleTimeout;
    }
    const auto offered = *scrapeTimeout > offset ? *scrapeTimeout - offset : *scrapeTimeout;
    return std::min(offered, moduleTimeout);
}

std::variant<ProbeJob, std::string> probeJobOf(
    const QueryParameters& parameters, const std::optional<std::string>& scrapeTimeoutHeader,
    const Config& config, std::chrono::nanoseconds timeoutOffset) {
    const auto now = std::chrono::steady_clock::now();
    const auto targetText = single(parameters, "target", "");
    const auto authName = single(parameters, "auth", "public_v2");
    const auto moduleName = single(parameters, "module", "default");
    const auto debug = single(parameters, "debug", "false");
    if (!targetText || !authName || !moduleName || !debug) {
        return "target, auth, module and debug may each be given once";
    }
    if (targetText->empty()) {
        return "no target: give /probe?target=ROUTER";
    }
    if (*debug != "true" && *debug != "false") {
        return "debug is true or false";
    }
    const auto auth = config.auths.find(*authName);
    if (auth == config.auths.end()) {
        return "unknown auth " + *authName;
    }
    const auto module = config.modules.find(*moduleName);
    if (module == config.modules.end()) {
        return "unknown module " + *moduleName;
    }
    std::string reason;
    const auto target = parseProbeTarget(*targetText, reason);
    if (!target) {
        return reason;
    }
    const auto& allowed = auth->second.allowedTargets;
    if (allowed && std::none_of(allowed->begin(), allowed->end(),
                                [&](const AllowedTarget& a) { return admits(a, *target); })) {
        return "target " + *targetText + " is not in the allowed_targets of auth " + *authName;
    }
    std::optional<std::chrono::nanoseconds> scrapeTimeout;
    if (scrapeTimeoutHeader && !(scrapeTimeout = headerTimeout(*scrapeTimeoutHeader, reason))) {
        return reason;
    }
    return ProbeJob{
        .auth = auth->second,
        .module = module->second,
        .host = target->host,
        .port = target->port,
        .deadline = now + probeTimeout(scrapeTimeout, timeoutOffset, module->second.scrapeTimeout),
        .cancelled = nullptr,
        .debug = *debug == "true"};
}
