// The watch's polls of one router on one session: each poll read by the rule of
// collect/counter_poll.h, turned into the rows and status line both views show.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "collect/counter_poll.h"
#include "report/watch_rows.h"

// What a view shows after a poll.
struct WatchFrame {
    std::chrono::system_clock::time_point time;  // the poll's first answer, else its start
    std::string status;      // this poll's events: no answer, a change, the library's complaints
    std::string lastChange;  // the last configuration change, which the screen keeps showing
    bool fresh = false;      // the rows are this poll's; else the last ones the router gave
    std::vector<WatchRow> rows;
    uint64_t requests = 0;  // of this poll
};

class WatchPoller {
  public:
    // `whileWaiting` runs as the poll's answers come in (the screen reads its keys there). The
    // status line's times are in UTC with `utc`, else local.
    WatchPoller(SnmpSession& session, bool fast, bool utc, std::function<void()> whileWaiting)
        : session_(session), fast_(fast), utc_(utc), whileWaiting_(std::move(whileWaiting)) {}

    // One poll; it stops sending when `stop` is set. `complaints` joins the status line.
    WatchFrame poll(const std::atomic<bool>& stop, const std::string& complaints);

  private:
    // The figures of each record of the tree, from this poll and the one before.
    std::vector<std::optional<ClassFigures>> figures(const FollowedPoll& followed,
                                                     bool reloaded) const;

    SnmpSession& session_;
    bool fast_;
    bool utc_;
    std::function<void()> whileWaiting_;
    std::shared_ptr<const TreeSnapshot> tree_;
    // The last poll that answered, and the tree it read.
    std::shared_ptr<const TreeSnapshot> previousTree_;
    std::vector<ClassReading> previous_;
    std::optional<uint32_t> previousUptime_;
    std::vector<WatchRow> rows_;
    std::optional<std::chrono::system_clock::time_point> lastAnswer_;
    std::optional<std::chrono::system_clock::time_point> firstTry_;
    std::string lastChange_;
};
