#include "app/watch.h"

#include <unistd.h>

#include <atomic>
#include <csignal>
#include <optional>
#include <string>
#include <thread>
#include <utility>

#include "app/exit_codes.h"
#include "app/runs.h"
#include "app/watch_poller.h"
#include "app/watch_screen.h"
#include "report/watch_block.h"

namespace {

using Clock = std::chrono::steady_clock;

// Set by SIGINT and SIGTERM: the poll stops sending, the view ends.
std::atomic<bool> stopRequested{false};

void requestStop(int) {
    stopRequested = true;
}

void installSignalHandlers() {
    struct sigaction action {};
    action.sa_handler = requestStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // A closed pipe shows as a failed write, which ends the watch quietly.
    std::signal(SIGPIPE, SIG_IGN);
}

// The next poll comes N seconds after this one began, or at once when this one took longer.
Clock::time_point nextPoll(Clock::time_point began, uint32_t seconds) {
    return began + std::chrono::seconds(seconds);
}

void watchOnScreen(SnmpSession& session, const RunOptions& options, std::string& complaints) {
    WatchScreen screen(session.settings().agentName, options.watchSeconds);
    WatchPoller poller(session, options.fast, false, [&screen] {
        screen.readKeys();
        if (screen.quit()) {
            stopRequested = true;
        }
    });
    for (;;) {
        const Clock::time_point began = Clock::now();
        WatchFrame frame = poller.poll(stopRequested, std::exchange(complaints, {}));
        if (stopRequested) {
            return;
        }
        screen.show(std::move(frame));
        if (!screen.waitUntil(nextPoll(began, options.watchSeconds), stopRequested)) {
            return;
        }
    }
}

void watchAsBlocks(SnmpSession& session, const RunOptions& options, std::string& complaints) {
    WatchPoller poller(session, options.fast, true, [] {});
    for (;;) {
        const Clock::time_point began = Clock::now();
        const WatchFrame frame = poller.poll(stopRequested, std::exchange(complaints, {}));
        if (stopRequested) {
            return;
        }
        const std::span<const WatchRow> rows =
            frame.fresh ? std::span<const WatchRow>(frame.rows) : std::span<const WatchRow>();
        if (!writeWatchBlock(stdout, frame.time, frame.status, rows)) {
            return;  // the reader went away
        }
        while (!stopRequested && Clock::now() < nextPoll(began, options.watchSeconds)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        if (stopRequested) {
            return;
        }
    }
}

}  // namespace

int runWatch(const SnmpSettings& settings, const RunOptions& options) {
    // The library's complaints, gathered for the next status line.
    std::string complaints;
    SnmpSession session([&complaints](std::string_view message) {
        if (message.ends_with('\n')) {
            message.remove_suffix(1);
        }
        complaints += (complaints.empty() ? "" : "; ") + std::string(message);
    });
    if (!session.open(settings)) {
        return reportNoSession(settings.agentName, session.openError());
    }
    installSignalHandlers();
    if (isatty(STDOUT_FILENO) == 1) {
        watchOnScreen(session, options, complaints);
    } else {
        watchAsBlocks(session, options, complaints);
    }
    return exitRun;
}
