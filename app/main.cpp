// galvetrin: fetches a router's class-based QoS set-up over SNMP and prints it as a flat
// listing and a tree, or as one document for programs.
#include <cstdio>

#include "app/command_line.h"
#include "app/exit_codes.h"
#include "app/runs.h"
#include "app/watch.h"
#include "snmp/library.h"

namespace {

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
    if (options.watchSeconds != 0) {
        SnmpLibrary library;
        return runWatch(settings, options);
    }
    const bool document = options.format != OutputFormat::text;
    if (!document) {
        printBanner();
    }
    // Linux has no socket layer to start; the lines keep the debug trace of a run complete.
    FILE* debugOut = document ? stderr : stdout;
    if (options.debug) {
        std::fputs("Winsock Startup...successful\n", debugOut);
    }
    int exitCode = exitRun;
    {
        SnmpLibrary library;
        exitCode = document ? runDocument(settings, options) : runTextReport(settings, options);
    }
    if (options.debug) {
        std::fputs("Winsock cleanup...completed\n", debugOut);
    }
    std::fflush(stdout);
    return exitCode;
}
