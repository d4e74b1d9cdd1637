// Identical probes at the same time (a high-availability pair of Prometheus servers scraping
// one router) make one collection: a probe of the same key joins a collection whose counter
// requests have not gone out yet and shares its result, so the router is asked once. Counters
// read before a probe arrived are never served to it.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "collect/run_result.h"

struct SharedCollection {
    RunResult result;
    bool treeFromCache = false;
};

class CollectionJoin {
  public:
    using Collect = std::function<SharedCollection(std::function<void()> countersBegin)>;

    // Runs `collect` for `key`, or waits for the collection of the same key that can still be
    // joined. None when this probe joined and its deadline came first.
    std::optional<SharedCollection> run(const std::string& key,
                                        std::chrono::steady_clock::time_point deadline,
                                        const Collect& collect);

  private:
    struct Flight {
        bool joinable = true;  // no counter request sent yet
        bool done = false;
        SharedCollection collection;
    };

    std::mutex mutex_;
    std::condition_variable finished_;
    std::map<std::string, std::shared_ptr<Flight>> flights_;
};
