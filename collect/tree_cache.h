// The exporter's configuration cache: trees of routers kept between probes, under a key the
// caller makes from the target and the contents of its auth and module, so that a reload that
// changes them finds no entry. Thread-safe; the trees themselves never change once kept.
#pragma once

#include <chrono>
#include <cstddef>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

#include "collect/tree_snapshot.h"

class TreeCache {
  public:
    using Clock = std::chrono::steady_clock;

    // At most `maxEntries` trees; the least recently used goes first.
    explicit TreeCache(size_t maxEntries) : maxEntries_(maxEntries) {}

    // The tree kept under `key` if it was walked less than `maxAge` before `now`, and marks it
    // used; else null, an expired entry dropped. A `maxAge` of 0 caches nothing.
    std::shared_ptr<const TreeSnapshot> find(const std::string& key, Clock::duration maxAge,
                                             Clock::time_point now);
    // Keeps `tree` under `key` as the most recently used, replacing what was there.
    void keep(const std::string& key, std::shared_ptr<const TreeSnapshot> tree);
    // Drops the entry: its router's configuration changed.
    void drop(const std::string& key);
    size_t size() const;

  private:
    using Entry = std::pair<std::string, std::shared_ptr<const TreeSnapshot>>;

    mutable std::mutex mutex_;
    size_t maxEntries_;
    std::list<Entry> entries_;  // most recently used first
    std::unordered_map<std::string, std::list<Entry>::iterator> byKey_;
};
