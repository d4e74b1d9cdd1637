// The exporter's endpoints on an HTTP server: /probe, /metrics, /, /-/healthy, /-/reload,
// /config, and basic authentication in front of them all when the web configuration asks.
#pragma once

#include <httplib.h>

#include <atomic>
#include <chrono>

#include "exporter/config_holder.h"
#include "exporter/exporter_metrics.h"
#include "exporter/log.h"
#include "exporter/probe.h"
#include "exporter/web_config.h"

struct Exporter {
    ConfigHolder& configs;
    ExporterMetrics& metrics;
    Log& log;
    const WebConfig& web;
    std::chrono::nanoseconds timeoutOffset;
    int maxConcurrent;
    const std::atomic<bool>& stopping;  // the probes' cancel flag
    ProbeShared probes;
    std::atomic<int> inFlight = 0;
};

void addHandlers(httplib::Server& server, Exporter& exporter);
