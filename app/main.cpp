// galvetrin: fetches a router's class-based QoS set-up over SNMP and prints it as a flat
// listing and a tree. The fixed order of a run lives here.
#include <cstdio>

#include "app/command_line.h"
#include "collect/debug.h"
#include "collect/object_table.h"
#include "collect/stages.h"
#include "report/listing.h"
#include "snmp/library.h"
#include "snmp/target.h"

namespace {

constexpr int exitRun = 0;
constexpr int exitUsage = 1;
constexpr int exitNoSession = 2;

bool holdsClassMap(const QosObjectTable& table) {
    constexpr uint32_t classMapType = 2;
    for (uint32_t i = 0; i < table.recordCount(); ++i) {
        if (table.record(i).objectType == classMapType) {
            return true;
        }
    }
    return false;
}

// Runs the stages and prints the report; false when no session could be opened.
bool collectAndReport(const SnmpTargetSettings& settings, const RunOptions& options,
                      QosObjectTable& table) {
    SnmpTarget target;
    if (!target.open(settings)) {
        std::fflush(stdout);
        std::fprintf(stderr, "galvetrin: cannot open an SNMP session to %s: %s\n",
                     settings.agentName.c_str(), target.openError().c_str());
        return false;
    }
    collectServicePolicies(target);
    collectPolicyObjects(target, table);
    collectPolicyMapNames(target, table);
    collectClassMapNames(target, table);
    collectMatchStatements(target, table);
    const WalkOutcome counters = collectQueueStats(target, table, options.highCapacity);
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
    if (!options.highCapacity && counters.rows == 0 && !counters.failed && holdsClassMap(table)) {
        std::fflush(stdout);
        std::fprintf(stderr,
                     "galvetrin: the router gave no 32-bit class counters; -hc reads its 64-bit "
                     "counters\n");
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::printf("Galvetrin v2.0\n\n");
    SnmpTargetSettings settings;
    RunOptions options;
    if (!readCommandLine(argc, argv, settings, options)) {
        printUsage(argc > 0 ? argv[0] : "galvetrin");
        return exitUsage;
    }
    debugMode = options.debug;
    // Linux has no socket layer to start; the lines keep the debug trace of a run complete.
    debugPrint("Winsock Startup...");
    debugPrint("successful\n");

    bool opened = false;
    {
        SnmpLibrary library;
        static QosObjectTable table;
        opened = collectAndReport(settings, options, table);
    }

    debugPrint("Winsock cleanup...");
    debugPrint("completed\n");
    std::fflush(stdout);
    return opened ? exitRun : exitNoSession;
}
