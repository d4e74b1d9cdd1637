// The command line's two kinds of run on one router: the text report, and one document for
// programs (JSON or Prometheus metrics). Each returns the process's exit code.
#pragma once

#include "app/command_line.h"
#include "snmp/session.h"

int runTextReport(const SnmpSettings& settings, const RunOptions& options);
int runDocument(const SnmpSettings& settings, const RunOptions& options);
