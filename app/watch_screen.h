// The watch on a terminal: a full-screen view drawn with ncurses, which owns the terminal's
// modes, keys, colours and size while it lives.
#pragma once

#include <atomic>
#include <chrono>
#include <string>

#include "app/watch_poller.h"

class WatchScreen {
  public:
    // Takes the terminal over; the destructor gives it back as it was.
    WatchScreen(std::string router, uint32_t intervalSeconds);
    ~WatchScreen();
    WatchScreen(const WatchScreen&) = delete;
    WatchScreen& operator=(const WatchScreen&) = delete;

    void show(WatchFrame frame);
    // Reads the keys until `until` (scrolling, resizing); false once `q` is pressed or `stop` set.
    bool waitUntil(std::chrono::steady_clock::time_point until, const std::atomic<bool>& stop);
    // Reads the keys waiting now, without blocking: for the time a poll takes.
    void readKeys();
    bool quit() const { return quit_; }

  private:
    void draw();
    void handle(int key);

    std::string router_;
    uint32_t interval_;
    WatchFrame frame_;
    size_t top_ = 0;  // the first row shown
    bool quit_ = false;
    bool colours_ = false;
};
