// -watch N: the class rates of one router, polled every N seconds until stopped; full screen on
// a terminal, else a block of text per poll. Returns the exit code.
#pragma once

#include "app/command_line.h"
#include "snmp/session.h"

int runWatch(const SnmpSettings& settings, const RunOptions& options);
