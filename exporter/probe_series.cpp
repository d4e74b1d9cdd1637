#include "exporter/probe_series.h"

#include "report/exposition.h"

void appendProbeSeries(const ProbeFacts& facts, std::string& out) {
    Exposition exposition(out);
    const auto gauge = [&](std::string_view name, std::string_view help, auto value) {
        exposition.family(name, help, "gauge");
        exposition.sample(name, "", value);
    };
    gauge("galvetrin_probe_success", "1 when every stage of the probe ran to its end.",
          uint64_t{facts.success ? 1U : 0U});
    gauge("galvetrin_probe_duration_seconds", "Seconds the probe took.", facts.durationSeconds);
    gauge("galvetrin_probe_deadline_seconds", "Seconds the probe was given.",
          facts.deadlineSeconds);
    gauge("galvetrin_probe_snmp_requests", "SNMP requests the probe sent.", facts.requests);
    gauge("galvetrin_probe_snmp_timeouts",
          "SNMP requests of the probe that got no answer in their time and tries.",
          facts.unanswered);
    gauge("galvetrin_probe_config_cached",
          "1 when the router's configuration came from the exporter's cache.",
          uint64_t{facts.treeFromCache ? 1U : 0U});
}
