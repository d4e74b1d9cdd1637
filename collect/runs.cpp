#include "collect/runs.h"

#include <chrono>
#include <vector>

#include "collect/counter_poll.h"
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
std::vector<const StageWalk*> laterStageWalks(std::span<const ClassStatisticsWalk> statistics) {
    std::vector<const StageWalk*> plan = {&policyObjectWalk, &policyMapWalk, &classMapWalk,
                                          &matchStatementWalk};
    for (const ClassStatisticsWalk& walk : statistics) {
        plan.push_back(&walk.walk);
    }
    return plan;
}

// Opens the session; a result that says why not when it cannot.
bool open(SnmpTarget& target, const SnmpTargetSettings& settings, RunContext& context,
          RunResult& result) {
    result.agent = settings.agentName;
    result.sessionOpened = target.open(settings);
    result.openError = target.openError();
    return result.sessionOpened;
}

void finish(RunContext& context, RunResult& result) {
    result.requests = context.requests();
    result.unanswered = context.unanswered();
    result.warnings = context.takeWarnings();
}

}  // namespace

RunResult collectForTextReport(RunContext& context, const SnmpTargetSettings& settings,
                               const CollectOptions& options) {
    RunResult result;
    SnmpTarget target;
    if (!open(target, settings, context, result)) {
        finish(context, result);
        return result;
    }
    const std::span<const ClassStatisticsWalk> statistics =
        listedClassStatistics(options.highCapacity);
    ColumnWalker walker(context, target, options.fast);
    const auto stage = [&](const char* name, const WalkOutcome& outcome) {
        result.stages.push_back({name, outcome.failure});
        return outcome;
    };
    stage("servicePolicies",
          collectServicePolicies(walker, servicePolicyWalk, result.servicePolicies));
    if (options.fast) {
        // The later stages' walks, all at once; each stage then takes its rows in turn.
        walker.prefetch(laterStageWalks(statistics), policyIndices(result.servicePolicies));
    }
    stage("objects", collectPolicyObjects(walker, result.table));
    stage("policyMapNames", collectPolicyMapNames(walker, result.table));
    stage("classMapNames", collectClassMapNames(walker, result.table));
    stage("matchStatements", collectMatchStatements(walker, result.table));
    const WalkOutcome counters =
        stage("classCounters", collectClassStatistics(walker, result.table, statistics));
    target.close();

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

RunResult collectForDocuments(RunContext& context, const SnmpTargetSettings& settings,
                              const CollectOptions& options) {
    RunResult result;
    SnmpTarget target;
    if (!open(target, settings, context, result)) {
        finish(context, result);
        return result;
    }
    const auto start = std::chrono::steady_clock::now();
    collectDocumentStages(context, target, options.fast, documentedClassStatistics(), result);
    result.collectSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    target.close();
    finish(context, result);
    return result;
}

RunResult collectThroughCache(RunContext& context, const SnmpTargetSettings& settings,
                              TreeCache& cache, const std::string& key,
                              TreeCache::Clock::duration maxAge, const CollectOptions& options) {
    RunResult opening;
    SnmpTarget target;
    if (!open(target, settings, context, opening)) {
        finish(context, opening);
        return opening;
    }
    const auto start = TreeCache::Clock::now();
    const bool caching = maxAge > TreeCache::Clock::duration::zero();
    const FollowedPoll followed = pollFollowingTree(
        context, target, caching ? cache.find(key, maxAge, start) : nullptr, options.fast, false);
    if (followed.configurationChanged || followed.treeStale()) {
        cache.drop(key);
    }
    if (caching && followed.treeWalked && !followed.treeStale() && followed.tree->complete()) {
        cache.keep(key, followed.tree);
    }
    RunResult result = documentsResult(*followed.tree, followed.poll);
    result.collectSeconds = std::chrono::duration<double>(TreeCache::Clock::now() - start).count();
    target.close();
    finish(context, result);
    return result;
}

void collectDocumentStages(RunContext& context, SnmpTarget& target, bool fast,
                           std::span<const ClassStatisticsWalk> statistics, RunResult& result) {
    const auto stage = [&](const char* name, const WalkOutcome& outcome) {
        result.stages.push_back({name, outcome.failure});
    };
    ColumnWalker walker(context, target, fast);
    stage("servicePolicies",
          collectServicePolicies(walker, servicePolicyTypedWalk, result.servicePolicies));
    if (fast) {
        walker.prefetch(laterStageWalks(statistics), policyIndices(result.servicePolicies));
    }
    stage("objects", collectPolicyObjects(walker, result.table));
    stage("policyMapNames", collectPolicyMapNames(walker, result.table));
    stage("classMapNames", collectClassMapNames(walker, result.table));
    stage("matchStatements", collectMatchStatements(walker, result.table));
    if (!statistics.empty()) {
        stage("classCounters", collectClassStatistics(walker, result.table, statistics));
    }
    stage("interfaceNames", collectInterfaceNames(context, target, result.servicePolicies));
}
