// The whole QoS picture as one JSON document: service policies with their interfaces and
// their policy trees, counters on the classes, configuration and counters on the actions, and
// the stages that failed.
#pragma once

#include <cstdio>

#include "collect/object_table.h"
#include "collect/run_result.h"

void writeJsonDocument(const RunResult& run, FILE* out);
