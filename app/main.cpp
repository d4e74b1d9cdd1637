// galvetrin: fetches a router's class-based QoS set-up over SNMP and prints it as a flat
// listing and a tree, or as one document for programs.
#include <cstdio>

#include "app/command_line.h"
#include "app/runs.h"
#include "collect/column_walk.h"
#include "collect/debug.h"
#include "collect/object_table.h"
#include "snmp/library.h"

namespace {

constexpr int exitRun = 0;
constexpr int exitUsage = 1;
constexpr int exitNoSession = 2;

void printBanner() {
    std::printf("Galvetrin v2.0\n\n");
}

}  // namespace

int main(int argc, char** argv) {
    SnmpSettings settings;
    RunOptions options;
    if (!readCommandLine(argc, argv, settings, options)) {
        printBanner();
        printUsage(argc > 0 ? argv[0] : "galvetrin");
        return exitUsage;
    }
    const bool document = options.format != OutputFormat::text;
    if (document) {
        // Standard output carries the document alone.
        debugOut = stderr;
        printWalkFailures = false;
    } else {
        printBanner();
    }
    debugMode = options.debug;
    // Linux has no socket layer to start; the lines keep the debug trace of a run complete.
    debugPrint("Winsock Startup...");
    debugPrint("successful\n");

    bool opened = false;
    {
        SnmpLibrary library;
        static QosObjectTable table;
        opened = document ? runDocument(settings, options, table)
                          : runTextReport(settings, options, table);
    }

    debugPrint("Winsock cleanup...");
    debugPrint("completed\n");
    std::fflush(stdout);
    return opened ? exitRun : exitNoSession;
}
