// One probe: one documents run against one router, bounded by the probe's deadline, its tree
// from the configuration cache where the module keeps one, written as the exposition
// `galvetrin -metrics` prints, followed by the series about the probe itself.
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

// The target and everything of its auth and module that shapes a collection: a reload that
// changes either finds no cache entry and joins no collection of the old settings.
std::string collectionKey(const ProbeJob& job) {
    const AuthEntry& a = job.auth;
    const ModuleEntry& m = job.module;
    std::string key;
    for (const std::string& part :
         {job.host, std::to_string(job.port), std::to_string(a.version), a.community,
          std::to_string(static_cast<int>(a.securityLevel)), a.username, a.password,
          std::to_string(static_cast<int>(a.authProtocol)),
          std::to_string(static_cast<int>(a.privProtocol)), a.privPassword, a.contextName,
          std::to_string(m.fast), std::to_string(m.actionCounters), std::to_string(m.maxInFlight),
          std::to_string(m.timeout.count()), std::to_string(m.retries), m.sourceAddress}) {
        key.append(part).push_back('\0');
    }
    return key;
}

SharedCollection collect(const ProbeJob& job, ProbeShared& shared, RunSinks sinks) {
    ExchangeLimits limits;
    limits.timeoutMicroseconds = duration_cast<microseconds>(job.module.timeout).count();
    limits.retries = job.module.retries;
    limits.maxInFlight = static_cast<size_t>(job.module.maxInFlight);
    RunContext context(std::move(sinks), StopCondition{job.deadline, job.cancelled}, limits);
    SharedCollection collection;
    collection.result =
        collectThroughCache(context, sessionSettings(job), shared.trees, collectionKey(job),
                            duration_cast<TreeCache::Clock::duration>(job.module.configCache),
                            {.fast = job.module.fast, .actionCounters = job.module.actionCounters},
                            collection.treeFromCache);
    return collection;
}

// What a joined probe whose deadline came first has: nothing.
SharedCollection nothingIn(const ProbeJob& job) {
    SharedCollection collection;
    collection.result.agent = job.host;
    collection.result.stages.push_back({"servicePolicies", "Stopped: the run's deadline passed."});
    return collection;
}

}  // namespace

ProbeAnswer runProbe(const ProbeJob& job, ProbeShared& shared) {
    const auto start = std::chrono::steady_clock::now();
    std::string debugLines;
    SharedCollection collection;
    if (job.debug) {
        // Its own collection, so that the lines are this probe's.
        RunSinks sinks;
        sinks.debug = [&debugLines](std::string_view text) { debugLines += text; };
        collection = collect(job, shared, std::move(sinks));
    } else {
        collection = shared.joins
                         .run(collectionKey(job), job.deadline,
                              [&](std::function<void()> countersBegin) {
                                  RunSinks sinks;
                                  sinks.countersBegin = std::move(countersBegin);
                                  return collect(job, shared, std::move(sinks));
                              })
                         .value_or(nothingIn(job));
    }
    const RunResult& result = collection.result;
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
    facts.treeFromCache = collection.treeFromCache;
    if (job.debug) {
        return {debugLines, facts.success};
    }
    std::string body;
    appendMetricsDocument(result, body);
    appendProbeSeries(facts, body);
    return {std::move(body), facts.success};
}
