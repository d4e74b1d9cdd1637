#include "app/watch_poller.h"

namespace {

void appendStatus(std::string& status, const std::string& text) {
    if (!text.empty()) {
        status += (status.empty() ? "" : "; ") + text;
    }
}

}  // namespace

WatchFrame WatchPoller::poll(const std::atomic<bool>& stop, const std::string& complaints) {
    const auto start = std::chrono::system_clock::now();
    firstTry_ = firstTry_.value_or(start);
    WatchFrame frame;
    std::string warnings;
    RunSinks sinks;
    sinks.warning = [&](std::string_view text) { appendStatus(warnings, std::string(text)); };
    sinks.walkProgress = [this](uint64_t, uint64_t) { whileWaiting_(); };
    RunContext context(std::move(sinks), StopCondition{std::nullopt, &stop});
    const FollowedPoll followed =
        pollFollowingTree(context, session_, tree_, {.fast = fast_, .forRates = true});
    frame.requests = context.requests();
    frame.time = followed.poll.firstAnswer.value_or(start);

    const std::string failure =
        followed.tree->complete() ? followed.poll.failure : followed.tree->failure();
    if (!failure.empty()) {
        // A tree that could not be walked whole is walked again by the next poll.
        tree_ = followed.tree->complete() && !followed.treeStale() ? followed.tree : nullptr;
        frame.status = context.unanswered() != 0
                           ? "no answer since " + clockText(lastAnswer_.value_or(*firstTry_), utc_)
                           : failure;
        frame.rows = rows_;
    } else {
        const std::optional<uint32_t> uptime = followed.poll.sysUpTime;
        const bool reloaded = previousUptime_ && uptime && *uptime < *previousUptime_;
        rows_ = watchRows(followed.tree->tree, figures(followed, reloaded));
        frame.rows = rows_;
        frame.fresh = true;
        lastAnswer_ = frame.time;
        tree_ = followed.treeStale() ? nullptr : followed.tree;
        previousTree_ = followed.tree;
        previous_ = followed.poll.classes;
        previousUptime_ = uptime;
        if (followed.configurationChanged) {
            lastChange_ = "configuration changed at " + clockText(frame.time, utc_) +
                          ": the tree was walked again";
            frame.status = lastChange_;
        }
        if (reloaded) {
            appendStatus(frame.status, "the router restarted: sysUpTime went back");
        }
    }
    appendStatus(frame.status, warnings);
    appendStatus(frame.status, complaints);
    frame.lastChange = lastChange_;
    return frame;
}

std::vector<std::optional<ClassFigures>> WatchPoller::figures(const FollowedPoll& followed,
                                                              bool reloaded) const {
    const TreeSnapshot& tree = *followed.tree;
    std::vector<std::optional<ClassFigures>> byRecord(tree.tree.table.recordCount());
    // A poll after a new tree walk, or the first, has no interval to divide by.
    const bool interval = previousTree_ == followed.tree && !followed.treeWalked;
    for (size_t i = 0; i < tree.classes.size(); ++i) {
        const ClassReading& now = followed.poll.classes[i];
        byRecord[tree.classes[i].record] = !interval  ? firstFigures(now)
                                           : reloaded ? ClassFigures{}
                                                      : intervalFigures(previous_[i], now);
    }
    return byRecord;
}
