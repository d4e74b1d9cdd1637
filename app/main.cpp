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

// Runs the stages and prints the report; false when no session could be opened.
bool collectAndReport(const SnmpTargetSettings& settings, QosObjectTable& table) {
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
    collectQueueStats(target, table);
    target.close();

    std::printf("\n");
    std::printf(
        "PolicyNum ObjectIndex ParentObject ObjectType        ConfigIndex PrePolicyPkts "
        "DroppedPkts Description\n");
    std::printf(
        "--------- ----------- ------------ ----------------- ----------- ------------- "
        "----------- -----------\n");
    printFlatListing(table, 0, stdout);
    std::printf("\n");
    printTreeListing(table, 0, stdout);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::printf("Galvetrin v2.0\n\n");
    SnmpTargetSettings settings;
    if (!readCommandLine(argc, argv, settings, debugMode)) {
        printUsage(argc > 0 ? argv[0] : "galvetrin");
        return exitUsage;
    }
    // Linux has no socket layer to start; the lines keep the debug trace of a run complete.
    debugPrint("Winsock Startup...");
    debugPrint("successful\n");

    bool opened = false;
    {
        SnmpLibrary library;
        static QosObjectTable table;
        opened = collectAndReport(settings, table);
    }

    debugPrint("Winsock cleanup...");
    debugPrint("completed\n");
    std::fflush(stdout);
    return opened ? exitRun : exitNoSession;
}
