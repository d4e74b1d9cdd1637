#include "report/metrics_document.h"

#include <functional>
#include <map>
#include <vector>

#include "report/counter_fields.h"
#include "report/exposition.h"
#include "report/qos_tree.h"

namespace {

// The labels of one class, in the order they are written.
struct ClassSeries {
    std::string interface;
    std::string ifIndex;
    std::string direction;
    std::string policy;
    std::string name;
    std::string path;
    std::string policyIndex;
    std::string objectIndex;
    const ClassCounters* counters;

    MetricLabels labels() const {
        return {{"interface", interface},
                {"if_index", ifIndex},
                {"direction", direction},
                {"policy", policy},
                {"class", name},
                {"path", path},
                {"policy_index", policyIndex},
                {"object_index", objectIndex}};
    }
};

std::string text(std::optional<std::string_view> name, uint32_t number) {
    return name ? std::string(*name) : std::to_string(number);
}

// Every class that has counters, in tree order.
std::vector<ClassSeries> classSeries(const RunResult& run) {
    std::map<uint32_t, const ServicePolicy*> policies;
    for (const ServicePolicy& policy : run.servicePolicies) {
        policies.try_emplace(policy.policyIndex, &policy);
    }
    const QosObjectTable& table = run.table;
    std::vector<ClassSeries> series;
    visitTree(
        table,
        [&](uint32_t index, std::span<const uint32_t> ancestors) {
            const QosObjectRecord& record = table.record(index);
            if (record.objectType != classMapType || !record.counters.any()) {
                return;
            }
            const auto attached = policies.find(record.policyIndex);
            const ServicePolicy* policy = attached != policies.end() ? attached->second : nullptr;
            const std::string ifIndex = policy ? std::to_string(policy->ifIndex) : "";
            TreePlace place = placeOf(table, ancestors, index);
            series.push_back(
                {policy ? policy->interfaceName.value_or(ifIndex) : "", ifIndex,
                 policy ? text(directionName(policy->direction), policy->direction) : "",
                 std::move(place.policy), record.name, std::move(place.path),
                 std::to_string(record.policyIndex), std::to_string(record.objectIndex),
                 &record.counters});
        },
        [](uint32_t) {});
    return series;
}

// Writes the document family by family, handing each to `emit`: a large router has hundreds
// of thousands of series.
void writeFamilies(const RunResult& run, const std::function<void(std::string&)>& emit) {
    const std::vector<ClassSeries> series = classSeries(run);
    std::string text;
    Exposition exposition(text);
    for (const CounterField& field : counterFields) {
        for (const ClassSeries& one : series) {
            if (!one.counters->has(field.kind)) {
                continue;
            }
            if (text.empty()) {
                exposition.family(field.metric, field.help, field.isRate ? "gauge" : "counter");
            }
            exposition.sample(field.metric, one.labels(), one.counters->value(field.kind));
        }
        emit(text);
    }
    exposition.family("galvetrin_stage_success",
                      "1 when the collection stage ran to its end, 0 when it failed.", "gauge");
    for (const StageResult& stage : run.stages) {
        exposition.sample("galvetrin_stage_success", {{"stage", stage.name}},
                          uint64_t{stage.failed() ? 0U : 1U});
    }
    exposition.family("galvetrin_collect_duration_seconds", "Seconds the collection took.",
                      "gauge");
    exposition.sample("galvetrin_collect_duration_seconds", {}, run.collectSeconds);
    emit(text);
}

}  // namespace

void writeMetricsDocument(const RunResult& run, FILE* out) {
    writeFamilies(run, [out](std::string& text) {
        std::fwrite(text.data(), 1, text.size(), out);
        text.clear();
    });
}

void appendMetricsDocument(const RunResult& run, std::string& out) {
    writeFamilies(run, [&out](std::string& text) {
        out += text;
        text.clear();
    });
}
