// The command line's two kinds of run on one router: the text report, and one document for
// programs (JSON or Prometheus metrics). Each returns the process's exit code.
#pragma once

#include <string>

#include "app/command_line.h"
#include "snmp/session.h"

int runTextReport(const SnmpSettings& settings, const RunOptions& options);
int runDocument(const SnmpSettings& settings, const RunOptions& options);
// The line on standard error when no session opens; the exit code that goes with it.
int reportNoSession(const std::string& agent, const std::string& reason);
