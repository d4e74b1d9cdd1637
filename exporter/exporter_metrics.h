// The exporter's own metrics, served on /metrics; a probe's metrics never join them.
#pragma once

#include <prometheus/counter.h>
#include <prometheus/gauge.h>
#include <prometheus/histogram.h>
#include <prometheus/registry.h>

#include <string>

enum class ProbeOutcome { success, failure, badRequest, rejected };

class ExporterMetrics {
  public:
    explicit ExporterMetrics(const std::string& version);

    void countProbe(ProbeOutcome outcome);
    void countReload(bool success);
    prometheus::Gauge& inFlight() { return inFlight_; }
    prometheus::Histogram& probeDuration() { return probeDuration_; }

    std::string exposition() const;

  private:
    prometheus::Registry registry_;
    prometheus::Family<prometheus::Counter>& probes_;
    prometheus::Gauge& inFlight_;
    prometheus::Histogram& probeDuration_;
    prometheus::Family<prometheus::Counter>& reloads_;
    prometheus::Gauge& lastReloadSuccessful_;
};
