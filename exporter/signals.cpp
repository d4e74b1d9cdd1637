#include "exporter/signals.h"

#include <pthread.h>
#include <signal.h>

namespace {

sigset_t handledSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    for (const int signal : {SIGHUP, SIGTERM, SIGINT}) {
        sigaddset(&signals, signal);
    }
    return signals;
}

}  // namespace

SignalThread::SignalThread(std::function<void()> reload, std::function<void()> stop) {
    const sigset_t signals = handledSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    thread_ = std::thread([signals, reload = std::move(reload), stop = std::move(stop)] {
        for (;;) {
            int signal = 0;
            if (sigwait(&signals, &signal) != 0) {
                continue;
            }
            if (signal != SIGHUP) {
                stop();
                return;
            }
            reload();
        }
    });
}

SignalThread::~SignalThread() {
    // The server may have ended on its own; wake the thread as SIGTERM would.
    pthread_kill(thread_.native_handle(), SIGTERM);
    thread_.join();
}
