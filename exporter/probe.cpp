// One probe: one documents run against one router, bounded by the probe's deadline, written
// as the exposition `galvetrin -metrics` prints, followed by the series about the probe itself.
#include "exporter/probe.h"

#include <chrono>

#include "collect/runs.h"
#include "exporter/auth_settings.h"
#include "exporter/probe_series.h"
#include "report/metrics_document.h"

namespace {

using std::chrono::duration_cast;
using std::chrono::microseconds;

SnmpSettings sessionSettings(const ProbeJob& job) {
    SnmpSettings settings = snmpSettingsFor(job.auth);
    settings.agentName = job.host;
    settings.agentAddress = job.host;
    settings.port = job.port;
    settings.sourceAddress = job.module.sourceAddress;
    return settings;
}

}  // namespace

ProbeAnswer runProbe(const ProbeJob& job) {
    const auto start = std::chrono::steady_clock::now();
    std::string debugLines;
    RunSinks sinks;
    if (job.debug) {
        sinks.debug = [&debugLines](std::string_view text) { debugLines += text; };
    }
    ExchangeLimits limits;
    limits.timeoutMicroseconds = duration_cast<microseconds>(job.module.timeout).count();
    limits.retries = job.module.retries;
    limits.maxInFlight = static_cast<size_t>(job.module.maxInFlight);
    RunContext context(std::move(sinks), StopCondition{job.deadline, job.cancelled}, limits);
    const RunResult result =
        collectForDocuments(context, sessionSettings(job), {job.module.fast, false});

    ProbeFacts facts;
    facts.success = result.sessionOpened;
    for (const StageResult& stage : result.stages) {
        facts.success = facts.success && !stage.failed();
    }
    facts.durationSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    facts.deadlineSeconds = std::chrono::duration<double>(job.deadline - start).count();
    facts.requests = result.requests;
    facts.unanswered = result.unanswered;
    if (job.debug) {
        return {debugLines, facts.success};
    }
    std::string body;
    appendMetricsDocument(result, body);
    appendProbeSeries(facts, body);
    return {std::move(body), facts.success};
}
