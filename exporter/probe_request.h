// A /probe request's parameters checked against the configuration: the job to run, or the
// one-line reason the request is refused with 400.
#pragma once

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <variant>

#include "exporter/config.h"
#include "exporter/probe.h"

using QueryParameters = std::multimap<std::string, std::string>;

// `scrapeTimeoutHeader` is Prometheus' X-Prometheus-Scrape-Timeout-Seconds, when sent.
// The job's `cancelled` is left for the caller.
std::variant<ProbeJob, std::string> probeJobOf(
    const QueryParameters& parameters, const std::optional<std::string>& scrapeTimeoutHeader,
    const Config& config, std::chrono::nanoseconds timeoutOffset);

// The probe's time: the module's scrape_timeout, or Prometheus' own timeout less the offset
// when that is shorter; the header's whole timeout where the offset would leave nothing.
std::chrono::nanoseconds probeTimeout(std::optional<std::chrono::nanoseconds> scrapeTimeout,
                                      std::chrono::nanoseconds offset,
                                      std::chrono::nanoseconds moduleTimeout);
