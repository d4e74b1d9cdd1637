// The two kinds of run, each a fixed order of stages on one session: the text report, and the
// documents for programs (JSON or Prometheus metrics).
#pragma once

#include "app/command_line.h"
#include "collect/object_table.h"
#include "snmp/session.h"

// Each returns false when no session could be opened, after saying so on standard error.
bool runTextReport(const SnmpSettings& settings, const RunOptions& options, QosObjectTable& table);
bool runDocument(const SnmpSettings& settings, const RunOptions& options, QosObjectTable& table);
