#include "collect/runs.h"

#include <algorithm>
#include <chrono>
#include <vector>

#include "collect/action_tables.h"
#include "collect/counter_poll.h"
#include "collect/queue_bandwidth.h"
#include "collect/stages.h"

namespace {

bool holdsClassMap(const QosObjectTable& table) {
    for (uint32_t i = 0; i < table.recordCount(); ++i) {
        if (table.record(i).objectType == classMapType) {
            return true;
        }
    }
    return false;
}

std::vector<uint32_t> policyIndices(const std::vector<ServicePolicy>& policies) {
    std::vector<uint32_t> indices;
    for (const ServicePolicy& policy : policies) {
        indices.push_back(policy.policyIndex);
    }
    return indices;
}

// The walks of the stages after the service policies, in run order: the -fast plan.
std::vector<const StageWalk*> laterStageWalks(std::vector<const StageWalk*> statistics) {
    std::vector<const StageWalk*> plan = {&policyObjectWalk, &policyMapWalk, &classMapWalk,
                                          &matchStatementWalk};
    plan.insert(plan.end(), statistics.begin(), statistics.end());
    return plan;
}

// The documents' stages, in run order.
constexpr const char* documentStages[] = {"servicePolicies", "objects",         "policyMapNames",
                                          "classMapNames",   "matchStatements", "classCounters",
                                          "interfaceNames",  "actionConfigs",   "actionCounters"};

// Opens the session. A run with a deadline or a cancel flag learns an SNMPv3 agent's engine ID
// within them; one without lets the library learn it, with the library's own time-out. When
// the session cannot be opened, every stage of the run failed, for that reason.
bool open(SnmpSession& session, const SnmpSettings& settings, const RunContext& context,
          RunResult& result, std::span<const char* const> stages) {
    result.agent = settings.agentName;
    const StopCondition& stop = context.stop();
    result.sessionOpened = stop.deadline || stop.cancelled != nullptr ? session.open(settings, stop)
                                                                      : session.open(settings);
    result.openError = session.openError();
    if (!result.sessionOpened) {
        for (const char* stage : stages) {
            result.stages.push_back({stage, "cannot open an SNMP session: " + result.openError});
        }
    }
    return result.sessionOpened;
}

ComplaintSink complaintsTo(RunContext& context) {
    return [&context](std::string_view message) { context.libraryComplaint(message); };
}

// A stage after the one the stop ended did not run, even where it found nothing to do.
void failStagesAfterStop(const StopCondition& stop, RunResult& result) {
    const std::string stopped = stoppedLine(stop);
    bool after = false;
    for (StageResult& stage : result.stages) {
        if (after && !stage.failed()) {
            stage.failure = stopped;
        }
        after = after || stage.failure == stopped;
    }
}

void finish(RunContext& context, RunResult& result) {
    result.requests = context.requests();
    result.unanswered = context.unanswered();
    result.warnings = context.takeWarnings();
}

}  // namespace

RunResult collectForTextReport(RunContext& context, const SnmpSettings& settings,
                               const CollectOptions& options) {
    RunResult result;
    SnmpSession session(complaintsTo(context));
    if (!open(session, settings, context, result, std::span(documentStages).first(6))) {
        finish(context, result);
        return result;
    }
    const std::span<const ClassStatisticsWalk> statistics =
        listedClassStatistics(options.highCapacity);
    ColumnWalker walker(context, session, options.fast);
    const auto stage = [&](const char* name, const WalkOutcome& outcome) {
        result.stages.push_back({name, outcome.failure});
        return outcome;
    };
    stage("servicePolicies",
          collectServicePolicies(walker, servicePolicyWalk, result.servicePolicies));
    if (options.fast) {
        // The later stages' walks, all at once; each stage then takes its rows in turn.
        std::vector<const StageWalk*> statisticsWalks;
        for (const ClassStatisticsWalk& walk : statistics) {
            statisticsWalks.push_back(&walk.walk);
        }
        walker.prefetch(laterStageWalks(statisticsWalks), policyIndices(result.servicePolicies));
    }
    stage("objects", collectPolicyObjects(walker, result.table));
    stage("policyMapNames", collectPolicyMapNames(walker, result.table));
    stage("classMapNames", collectClassMapNames(walker, result.table));
    stage("matchStatements", collectMatchStatements(walker, result.table));
    const WalkOutcome counters =
        stage("classCounters", collectClassStatistics(walker, result.table, statistics));
    session.close();

    // Routers that keep only the 64-bit columns leave every counter blank without -hc. A walk
    // that failed gave no rows either, and there this advice would be wrong.
    if (!options.highCapacity && counters.rows == 0 && !counters.failed() &&
        holdsClassMap(result.table)) {
        context.warn(
            "galvetrin: the router gave no 32-bit class counters; -hc reads its 64-bit counters");
    }
    finish(context, result);
    return result;
}

void collectDocumentStages(RunContext& context, SnmpSession& session, bool fast,
                           bool actionCounters, RunResult& result, CounterColumns& columns) {
    const auto stage = [&](const char* name, const WalkOutcome& outcome) {
        result.stages.push_back({name, outcome.failure});
    };
    ColumnWalker walker(context, session, fast);
    stage("servicePolicies",
          collectServicePolicies(walker, servicePolicyTypedWalk, result.servicePolicies));
    const std::vector<uint32_t> policies = policyIndices(result.servicePolicies);
    // The counters' requests go out from here on with -fast, beside the tree's; else at their
    // stage.
    if (fast) {
        context.countersBegin();
        std::vector<const StageWalk*> statisticsWalks;
        for (const StageWalk& walk : classStatisticsTable().walks) {
            statisticsWalks.push_back(&walk);
        }
        walker.prefetch(laterStageWalks(statisticsWalks), policies);
    }
    stage("objects", collectPolicyObjects(walker, result.table));
    if (fast) {
        // Which action tables to walk follows from the objects: a second wave.
        walker.prefetch(actionCounters ? actionTableWalks(result.table, {ActionStage::configs,
                                                                         ActionStage::counters})
                                       : actionTableWalks(result.table, {ActionStage::configs}),
                        policies);
    }
    stage("policyMapNames", collectPolicyMapNames(walker, result.table));
    stage("classMapNames", collectClassMapNames(walker, result.table));
    stage("matchStatements", collectMatchStatements(walker, result.table));
    if (!fast) {
        context.countersBegin();
    }
    stage("classCounters", collectDocumentedClassStatistics(walker, result.table, columns.classes));
    stage("interfaceNames", collectInterfaceNames(context, session, result.servicePolicies));
    std::vector<TableColumns> configColumns;
    stage("actionConfigs", collectActionTables(walker, result.table, ActionStage::configs,
                                               result.actionRows, configColumns));
    deriveQueueBandwidths(result);
    if (actionCounters) {
        stage("actionCounters", collectActionTables(walker, result.table, ActionStage::counters,
                                                    result.actionRows, columns.actions));
    }
    failStagesAfterStop(context.stop(), result);
}

RunResult collectForDocuments(RunContext& context, const SnmpSettings& settings,
                              const CollectOptions& options) {
    RunResult result;
    SnmpSession session(complaintsTo(context));
    if (!open(session, settings, context, result, documentStages)) {
        finish(context, result);
        return result;
    }
    const auto start = std::chrono::steady_clock::now();
    CounterColumns columns;
    collectDocumentStages(context, session, options.fast, options.actionCounters, result, columns);
    result.collectSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    session.close();
    finish(context, result);
    return result;
}

RunResult collectThroughCache(RunContext& context, const SnmpSettings& settings, TreeCache& cache,
                              const std::string& key, TreeCache::Clock::duration maxAge,
                              const CollectOptions& options, bool& treeFromCache) {
    RunResult opening;
    SnmpSession session(complaintsTo(context));
    if (!open(session, settings, context, opening, documentStages)) {
        finish(context, opening);
        return opening;
    }
    const auto start = TreeCache::Clock::now();
    const bool caching = maxAge > TreeCache::Clock::duration::zero();
    FollowedPoll followed =
        pollFollowingTree(context, session, caching ? cache.find(key, maxAge, start) : nullptr,
                          {.fast = options.fast, .actionCounters = options.actionCounters});
    if (followed.configurationChanged || followed.treeStale()) {
        cache.drop(key);
    }
    if (caching && followed.treeWalked && !followed.treeStale() && followed.tree->complete()) {
        cache.keep(key, followed.tree);
    }
    treeFromCache = !followed.treeWalked;
    // A walk of this probe's read the counters; it did not finish what came after its stop.
    // Stages served from the cache stand as they were.
    RunResult result = followed.walkedDocuments ? std::move(*followed.walkedDocuments)
                                                : documentsResult(*followed.tree, followed.poll);
    result.collectSeconds = std::chrono::duration<double>(TreeCache::Clock::now() - start).count();
    session.close();
    finish(context, result);
    return result;
}
