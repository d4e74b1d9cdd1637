// What the watch shows of a tree: its policy maps and class maps in tree order, each class with
// its figures, and the texts of figures and times both of its views use.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "collect/run_result.h"
#include "report/class_rates.h"

struct WatchRow {
    uint32_t depth = 0;  // records above it in its tree
    bool isClass = false;
    std::string interface;  // of its policy instance, as the documents name it
    std::string direction;
    std::string name;
    std::string path;  // the names from the top policy map down, joined by "/"
    ClassFigures figures;
};

// `figures` is indexed by the table's records; a class without an entry shows blanks.
std::vector<WatchRow> watchRows(const RunResult& tree,
                                std::span<const std::optional<ClassFigures>> figures);

// A figure as a whole number, or with `decimals` places; "-" when blank.
std::string figureText(const std::optional<double>& figure, int decimals = 0);
// "2024-05-01T12:00:05Z"
std::string utcTimestamp(std::chrono::system_clock::time_point time);
// "12:00:05", in UTC or local time.
std::string clockText(std::chrono::system_clock::time_point time, bool utc);
