// One run's own state, passed down through every stage: where its debug lines, report lines
// and warnings go, its request ids, and when it must stop. Nothing of a run lives anywhere
// else, so runs in one process never see each other.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "collect/run_result.h"
#include "snmp/stop_condition.h"

// What a run shows while it goes on. Any of these may be empty: nothing is shown.
struct RunSinks {
    // Debug lines as they happen; empty: no debug lines are made at all.
    std::function<void(std::string_view)> debug;
    // The text report's live part: the service policy table begins, each of its rows.
    std::function<void()> servicePoliciesBegin;
    std::function<void(const ServicePolicy&)> servicePolicy;
    // Each failure line at its stage's place.
    std::function<void(std::string_view)> failure;
    // Each warning as it arises (they are also kept in the result).
    std::function<void(std::string_view)> warning;
    // A run's or a poll's counter requests are about to go out (the exporter lets identical
    // probes join a collection until then).
    std::function<void()> countersBegin;
    // A long walk's progress: it began, it moved on (rows so far, requests so far), it ended.
    std::function<void(const char* stage)> walkBegin;
    std::function<void(uint64_t rows, uint64_t requests)> walkProgress;
    std::function<void()> walkEnd;
};

// How a run's requests go out: what each waits for an answer, how often it is sent again, and
// how many -fast keeps in flight.
struct ExchangeLimits {
    long timeoutMicroseconds = 5'000'000;
    int retries = 2;
    size_t maxInFlight = 8;
};

class RunContext {
  public:
    explicit RunContext(RunSinks sinks = {}, StopCondition stop = {}, ExchangeLimits limits = {})
        : sinks_(std::move(sinks)), stop_(stop), limits_(limits) {}
    RunContext(const RunContext&) = delete;
    RunContext& operator=(const RunContext&) = delete;

    const RunSinks& sinks() const { return sinks_; }
    const StopCondition& stop() const { return stop_; }
    const ExchangeLimits& limits() const { return limits_; }

    bool debugging() const { return static_cast<bool>(sinks_.debug); }
    [[gnu::format(printf, 2, 3)]] void debug(const char* format, ...) const;

    // Ids run 1, 2, 3, ... through the stages of one run.
    uint32_t nextRequestId() { return nextRequestId_++; }
    void countRequest() { ++requests_; }
    uint64_t requests() const { return requests_; }
    void countUnanswered() { ++unanswered_; }
    uint64_t unanswered() const { return unanswered_; }

    void failure(std::string_view line) const;
    void countersBegin() const;
    // Keeps the warning for the result and shows it now.
    void warn(std::string text);
    // The library's complaints: each distinct one once per run, as a warning. The library
    // repeats them once per try and per stage.
    void libraryComplaint(std::string_view text);
    std::vector<std::string> takeWarnings() { return std::move(warnings_); }

  private:
    RunSinks sinks_;
    StopCondition stop_;
    ExchangeLimits limits_;
    uint32_t nextRequestId_ = 1;
    uint64_t requests_ = 0;
    uint64_t unanswered_ = 0;
    std::vector<std::string> warnings_;
    std::set<std::string, std::less<>> complaints_;
};
