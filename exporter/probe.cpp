// SEAM: a stand-in for the collection library's probe, so that the endpoints and their tests
// run before the collection is wired in. It answers a fixed exposition.
// GALVETRIN_STUB_PROBE_SECONDS=N makes it take N seconds (or until the deadline or
// shut-down), so that a test can hold probes in flight; nothing else reads that variable.
#include "exporter/probe.h"

#include <cstdlib>
#include <thread>

ProbeAnswer runProbe(const ProbeJob& job) {
    if (const char* seconds = std::getenv("GALVETRIN_STUB_PROBE_SECONDS")) {
        const auto until = std::min(job.deadline, std::chrono::steady_clock::now() +
                                                      std::chrono::seconds(std::atoi(seconds)));
        while (std::chrono::steady_clock::now() < until && !*job.cancelled) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    const bool v6 = job.host.find(':') != std::string::npos;
    const std::string target =
        (v6 ? "[" + job.host + "]" : job.host) + ":" + std::to_string(job.port);
    if (job.debug) {
        return {"stub probe of " + target + "\n", true};
    }
    return {
        "# HELP galvetrin_stub_probe 1: the collection is not wired to the exporter yet.\n"
        "# TYPE galvetrin_stub_probe gauge\n"
        "galvetrin_stub_probe{target=\"" +
            target + "\"} 1\n",
        true};
}
