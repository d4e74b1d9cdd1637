// The whole QoS picture as one JSON document: service policies with their interfaces and
// their policy trees, counters on the classes, and the stages that failed.
#pragma once

#include <cstdio>

#include "collect/object_table.h"
#include "collect/run_record.h"

void writeJsonDocument(const QosObjectTable& table, const RunRecord& run, FILE* out);
