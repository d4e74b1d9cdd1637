// When a run must stop waiting: a deadline, a cancel flag, or neither.
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
