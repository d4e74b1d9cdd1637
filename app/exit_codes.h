// The command line's exit codes.
#pragma once

constexpr int exitRun = 0;        // the run went through its stages, whatever they found
constexpr int exitUsage = 1;      // the command line was wrong: the usage text was printed
constexpr int exitNoSession = 2;  // no SNMP session could be opened
