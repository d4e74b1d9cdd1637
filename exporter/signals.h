// Signals on one dedicated thread (sigwait), so that no work runs in an async handler:
// SIGHUP reloads the configuration, SIGTERM and SIGINT stop the server.
#pragma once

#include <functional>
#include <thread>

class SignalThread {
  public:
    // Blocks the signals in the calling thread, and so in every thread it starts later:
    // construct before the server starts its workers.
    SignalThread(std::function<void()> reload, std::function<void()> stop);
    // Stops waiting and joins; calls `stop` once if no signal did.
    ~SignalThread();
    SignalThread(const SignalThread&) = delete;
    SignalThread& operator=(const SignalThread&) = delete;

  private:
    std::thread thread_;
};
