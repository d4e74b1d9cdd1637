// The two listings of the object table: a flat row of columns per object and an indented
// tree, both depth first from the top level, siblings in table order.
#pragma once

#include <cstdint>
#include <cstdio>

#include "collect/object_table.h"

void printFlatListing(const QosObjectTable& table, FILE* out);
void printTreeListing(const QosObjectTable& table, FILE* out);
