// The class counters as Prometheus metrics (text exposition format 0.0.4), each series
// labelled with its interface, direction, policy and the path of names down to its class,
// and a series per stage saying whether it ran to its end.
#pragma once

#include <cstdio>
#include <string>

#include "collect/run_result.h"

void writeMetricsDocument(const RunResult& run, FILE* out);
// The same text, appended to `out`.
void appendMetricsDocument(const RunResult& run, std::string& out);
