#include "report/metrics_document.h"

#include <prometheus/text_serializer.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "report/counter_fields.h"
#include "report/qos_tree.h"

namespace {

using Labels = std::vector<prometheus::ClientMetric::Label>;

struct ClassSeries {
    Labels labels;
    const ClassCounters* counters;
};

std::string text(std::optional<std::string_view> name, uint32_t number) {
    return name ? std::string(*name) : std::to_string(number);
}

// The labels of every class that has counters, in tree order.
std::vector<ClassSeries> classSeries(const QosObjectTable& table, const RunRecord& run) {
    std::map<uint32_t, const ServicePolicy*> policies;
    for (const ServicePolicy& policy : run.servicePolicies) {
        policies.try_emplace(policy.policyIndex, &policy);
    }
    std::vector<ClassSeries> series;
    walkTree(
        table,
        [&](uint32_t index, std::span<const uint32_t> ancestors) {
            const QosObjectRecord& record = table.record(index);
            if (record.objectType != classMapType || !record.counters.any()) {
                return;
            }
            const auto attached = policies.find(record.policyNum);
            const ServicePolicy* policy = attached != policies.end() ? attached->second : nullptr;
            const std::string ifIndex = policy ? std::to_string(policy->ifIndex) : "";
            TreePlace place = placeOf(table, ancestors, index);
            series.push_back(
                {{{"interface", policy ? policy->interfaceName.value_or(ifIndex) : ""},
                  {"if_index", ifIndex},
                  {"direction",
                   policy ? text(directionName(policy->direction), policy->direction) : ""},
                  {"policy", std::move(place.policy)},
                  {"class", record.name},
                  {"path", std::move(place.path)},
                  {"policy_index", std::to_string(record.policyNum)},
                  {"object_index", std::to_string(record.objectIndex)}},
                 &record.counters});
        },
        [](uint32_t) {});
    return series;
}

void write(const prometheus::MetricFamily& family, FILE* out) {
    std::ostringstream text;
    prometheus::TextSerializer().Serialize(text, {family});
    const std::string bytes = text.str();
    std::fwrite(bytes.data(), 1, bytes.size(), out);
}

prometheus::ClientMetric gauge(Labels labels, double value) {
    prometheus::ClientMetric metric;
    metric.label = std::move(labels);
    metric.gauge.value = value;
    return metric;
}

}  // namespace

void writeMetricsDocument(const QosObjectTable& table, const RunRecord& run, FILE* out) {
    const std::vector<ClassSeries> series = classSeries(table, run);
    // One family at a time: a large router has hundreds of thousands of series.
    for (const CounterField& field : counterFields) {
        prometheus::MetricFamily family{
            std::string(field.metric),
            std::string(field.help),
            field.isRate ? prometheus::MetricType::Gauge : prometheus::MetricType::Counter,
            {}};
        for (const ClassSeries& one : series) {
            if (!one.counters->has(field.kind)) {
                continue;
            }
            prometheus::ClientMetric metric;
            metric.label = one.labels;
            const double value = static_cast<double>(one.counters->value(field.kind));
            (field.isRate ? metric.gauge.value : metric.counter.value) = value;
            family.metric.push_back(std::move(metric));
        }
        if (!family.metric.empty()) {
            write(family, out);
        }
    }

    prometheus::MetricFamily stages{"galvetrin_stage_success",
                                    "1 when the collection stage ran to its end, 0 when it failed.",
                                    prometheus::MetricType::Gauge,
                                    {}};
    for (const StageResult& stage : run.stages) {
        stages.metric.push_back(gauge({{"stage", stage.name}}, stage.failure.empty() ? 1 : 0));
    }
    write(stages, out);
    write({"galvetrin_collect_duration_seconds",
           "Seconds the collection took.",
           prometheus::MetricType::Gauge,
           {gauge({}, run.collectSeconds)}},
          out);
}
