#include "exporter/exporter_metrics.h"

#include <prometheus/text_serializer.h>

using namespace prometheus;

namespace {

// In the order of ProbeOutcome.
constexpr const char* outcomeNames[] = {"success", "failure", "bad_request", "rejected"};

}  // namespace

ExporterMetrics::ExporterMetrics(const std::string& version)
    : probes_(BuildCounter()
                  .Name("galvetrin_exporter_probes_total")
                  .Help("Probe requests by outcome.")
                  .Register(registry_)),
      inFlight_(BuildGauge()
                    .Name("galvetrin_exporter_probes_in_flight")
                    .Help("Probes running now.")
                    .Register(registry_)
                    .Add({})),
      // A probe of a large router over a WAN runs for minutes.
      probeDuration_(BuildHistogram()
                         .Name("galvetrin_exporter_probe_duration_seconds")
                         .Help("Time a probe took, whatever its outcome.")
                         .Register(registry_)
                         .Add({}, Histogram::BucketBoundaries{0.1, 0.25, 0.5, 1, 2.5, 5, 10, 30, 60,
                                                              120, 300})),
      reloads_(BuildCounter()
                   .Name("galvetrin_exporter_config_reloads_total")
                   .Help("Loads of the configuration file after the first, by result.")
                   .Register(registry_)),
      lastReloadSuccessful_(BuildGauge()
                                .Name("galvetrin_exporter_config_last_reload_successful")
                                .Help("1 when the last load of the configuration file succeeded.")
                                .Register(registry_)
                                .Add({})) {
    BuildGauge()
        .Name("galvetrin_exporter_build_info")
        .Help("The exporter's version; constant 1.")
        .Register(registry_)
        .Add({{"version", version}})
        .Set(1);
    // Every outcome from the start, so that rate() sees the first one.
    for (const char* outcome : outcomeNames) {
        probes_.Add({{"outcome", outcome}});
    }
    for (const char* result : {"success", "failure"}) {
        reloads_.Add({{"result", result}});
    }
    lastReloadSuccessful_.Set(1);
}

void ExporterMetrics::countProbe(ProbeOutcome outcome) {
    probes_.Add({{"outcome", outcomeNames[static_cast<int>(outcome)]}}).Increment();
}

void ExporterMetrics::countReload(bool success) {
    reloads_.Add({{"result", success ? "success" : "failure"}}).Increment();
    lastReloadSuccessful_.Set(success ? 1 : 0);
}

std::string ExporterMetrics::exposition() const {
    return TextSerializer().Serialize(registry_.Collect());
}
