// The command line: the agent's address, then options matched without regard to case.
#pragma once

#include <cstdint>

#include "snmp/target.h"

// Fills `settings` and `debug` from the arguments. Returns false when the usage text is due:
// too few arguments, a help option, an unknown option or an option missing its value.
bool readCommandLine(int argc, const char* const* argv, SnmpTargetSettings& settings,
                     int32_t& debug);

void printUsage(const char* programName);
