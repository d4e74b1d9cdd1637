// When a run stops waiting: at its deadline, or when it is cancelled (a probe's client went
// away, the program is shutting down). Neither set: never.
#pragma once

#include <atomic>
#include <chrono>
#include <optional>

struct StopCondition {
    std::optional<std::chrono::steady_clock::time_point> deadline;
    const std::atomic<bool>* cancelled = nullptr;

    bool reached() const {
        return (cancelled != nullptr && cancelled->load()) ||
               (deadline && std::chrono::steady_clock::now() >= *deadline);
    }
};
