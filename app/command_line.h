// The command line: the agent's address, then options matched without regard to case.
#pragma once

#include <cstdint>

#include "snmp/settings.h"

// What standard output carries: the text report, or one document for programs.
enum class OutputFormat { text, json, metrics };

// What the command line asks of a run beyond the agent's settings.
struct RunOptions {
    bool debug = false;         // -d
    bool highCapacity = false;  // -hc: the 64-bit class counters
    bool fast = false;          // -fast: larger requests, several in flight
    OutputFormat format = OutputFormat::text;
    uint32_t watchSeconds = 0;  // -watch N: the live view, N seconds between polls; 0: none
};

// Fills `settings` and `options` from the arguments. Returns false when the usage text is due:
// too few arguments, a help option, an unknown option, an option missing its value, a -watch
// interval outside 1 to 3600 seconds, or -watch with -json, -metrics or -d.
bool readCommandLine(int argc, const char* const* argv, SnmpSettings& settings,
                     RunOptions& options);

void printUsage(const char* programName);
