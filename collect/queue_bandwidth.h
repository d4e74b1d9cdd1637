// A queueing action's bandwidth in bits per second: kbps as they are; a share (percentage,
// per thousand, per million) of the interface's speed in a policy attached to the interface,
// or, in a policy nested under a class, of that class's shaping rate. The "remaining" units
// share what is left, which the router does not say: they have none.
#pragma once

#include "collect/run_result.h"

// Fills result.queueBandwidths from the table, the queueing and shaping configurations and
// the interface speeds.
void deriveQueueBandwidths(RunResult& result);
