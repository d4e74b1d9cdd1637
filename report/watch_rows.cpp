#include "report/watch_rows.h"

#include <cmath>
#include <cstdio>
#include <ctime>
#include <map>

#include "report/qos_tree.h"

std::vector<WatchRow> watchRows(const RunResult& tree,
                                std::span<const std::optional<ClassFigures>> figures) {
    std::map<uint32_t, const ServicePolicy*> policies;
    for (const ServicePolicy& policy : tree.servicePolicies) {
        policies.try_emplace(policy.policyIndex, &policy);
    }
    const QosObjectTable& table = tree.table;
    std::vector<WatchRow> rows;
    visitTree(
        table,
        [&](uint32_t index, std::span<const uint32_t> ancestors) {
            const QosObjectRecord& record = table.record(index);
            if (record.objectType != classMapType && record.objectType != policyMapType) {
                return;
            }
            const auto attached = policies.find(record.policyIndex);
            const ServicePolicy* policy = attached != policies.end() ? attached->second : nullptr;
            WatchRow& row = rows.emplace_back();
            row.depth = static_cast<uint32_t>(ancestors.size());
            row.isClass = record.objectType == classMapType;
            row.interface = interfaceText(policy);
            row.direction = directionText(policy);
            row.name = record.name;
            row.path = placeOf(table, ancestors, index).path;
            if (index < figures.size() && figures[index]) {
                row.figures = *figures[index];
            }
        },
        [](uint32_t) {});
    return rows;
}

std::string figureText(const std::optional<double>& figure, int decimals) {
    if (!figure) {
        return "-";
    }
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals,
                  decimals == 0 ? std::round(*figure) : *figure);
    return text;
}

namespace {
std::string timeText(std::chrono::system_clock::time_point time, bool utc, const char* format) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
    std::tm parts{};
    if (utc) {
        gmtime_r(&seconds, &parts);
    } else {
        localtime_r(&seconds, &parts);
    }
    char text[32];
    return std::string(text, std::strftime(text, sizeof text, format, &parts));
}
}  // namespace

std::string utcTimestamp(std::chrono::system_clock::time_point time) {
    return timeText(time, true, "%Y-%m-%dT%H:%M:%SZ");
}

std::string clockText(std::chrono::system_clock::time_point time, bool utc) {
    return timeText(time, utc, "%H:%M:%S");
}
