#include "app/runs.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "collect/stages.h"
#include "report/json_document.h"
#include "report/listing.h"
#include "report/metrics_document.h"

namespace {

// The library repeats its complaints once per try and per stage (a wrong pass phrase gives
// "Authentication failed" for every report): standard error gets each distinct one once a run.
ComplaintSink printEachComplaintOnce() {
    return [printed = std::make_shared<std::set<std::string>>()](std::string_view message) {
        if (printed->emplace(message).second) {
            std::fflush(stdout);
            std::fwrite(message.data(), 1, message.size(), stderr);
        }
    };
}

bool open(SnmpSession& target, const SnmpSettings& settings) {
    if (target.open(settings)) {
        return true;
    }
    std::fflush(stdout);
    std::fprintf(stderr, "galvetrin: cannot open an SNMP session to %s: %s\n",
                 settings.agentName.c_str(), target.openError().c_str());
    return false;
}

bool holdsClassMap(const QosObjectTable& table) {
    for (uint32_t i = 0; i < table.recordCount(); ++i) {
        if (table.record(i).objectType == classMapType) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool runTextReport(const SnmpSettings& settings, const RunOptions& options, QosObjectTable& table) {
    SnmpSession target(printEachComplaintOnce());
    if (!open(target, settings)) {
        return false;
    }
    ColumnWalker walker(target, options.fast);
    const std::vector<uint32_t> policies = collectServicePolicies(walker);
    if (options.fast) {
        // The later stages' walks, all at once; each stage then takes its rows in turn.
        walker.prefetch(laterStageWalks(options.highCapacity, false), policies);
    }
    collectPolicyObjects(walker, table);
    collectPolicyMapNames(walker, table);
    collectClassMapNames(walker, table);
    collectMatchStatements(walker, table);
    const WalkOutcome counters = collectQueueStats(walker, table, options.highCapacity);
    target.close();

    std::printf("\n");
    std::printf(
        "PolicyNum ObjectIndex ParentObject ObjectType        ConfigIndex PrePolicyPkts "
        "DroppedPkts Description\n");
    std::printf(
        "--------- ----------- ------------ ----------------- ----------- ------------- "
        "----------- -----------\n");
    printFlatListing(table, stdout);
    std::printf("\n");
    printTreeListing(table, stdout);

    // Routers that keep only the 64-bit columns leave every counter blank without -hc.
    if (!options.highCapacity && counters.rows == 0 && !counters.failed() && holdsClassMap(table)) {
        std::fflush(stdout);
        std::fprintf(stderr,
                     "galvetrin: the router gave no 32-bit class counters; -hc reads its 64-bit "
                     "counters\n");
    }
    return true;
}

bool runDocument(const SnmpSettings& settings, const RunOptions& options, QosObjectTable& table) {
    SnmpSession target(printEachComplaintOnce());
    if (!open(target, settings)) {
        return false;
    }
    RunRecord run;
    run.agent = settings.agentName;
    const auto start = std::chrono::steady_clock::now();
    const auto stage = [&](const char* name, const WalkOutcome& outcome) {
        run.stages.push_back({name, outcome.failure});
    };
    ColumnWalker walker(target, options.fast);
    stage("servicePolicies", collectServicePolicyTable(walker, run.servicePolicies));
    if (options.fast) {
        std::vector<uint32_t> policies;
        for (const ServicePolicy& policy : run.servicePolicies) {
            policies.push_back(policy.policyIndex);
        }
        walker.prefetch(laterStageWalks(options.highCapacity, true), policies);
    }
    stage("objects", collectPolicyObjects(walker, table));
    stage("policyMapNames", collectPolicyMapNames(walker, table));
    stage("classMapNames", collectClassMapNames(walker, table));
    stage("matchStatements", collectMatchStatements(walker, table));
    stage("classCounters", collectClassCounters(walker, table));
    stage("interfaceNames", collectInterfaceNames(target, run.servicePolicies));
    run.collectSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    target.close();

    if (options.format == OutputFormat::json) {
        writeJsonDocument(table, run, stdout);
    } else {
        writeMetricsDocument(table, run, stdout);
    }
    return true;
}
