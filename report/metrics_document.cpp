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

// Every class with counters, labelled once: each metric family reuses the same labels.
struct ClassSeries {
    std::vector<prometheus::ClientMetric> metrics;
    std::vector<const ClassCounters*> counters;
};

// The labels of every class that has counters, in tree order.
ClassSeries classSeries(const QosObjectTable& table, const RunResult& run) {
    std::map<uint32_t, const ServicePolicy*> policies;
    for (const ServicePolicy& policy : run.servicePolicies) {
        policies.try_emplace(policy.policyIndex, &policy);
    }
    ClassSeries series;
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
            prometheus::ClientMetric& metric = series.metrics.emplace_back();
            metric.label = {{"interface", interfaceText(policy)},
                            {"if_index", ifIndex},
                            {"direction", directionText(policy)},
                            {"policy", std::move(place.policy)},
                            {"class", record.name},
                            {"path", std::move(place.path)},
                            {"policy_index", std::to_string(record.policyIndex)},
                            {"object_index", std::to_string(record.objectIndex)}};
            series.counters.push_back(&record.counters);
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

void writeMetricsDocument(const RunResult& run, FILE* out) {
    ClassSeries series = classSeries(run.table, run);
    // One family at a time, the labelled series moved into it and back: a large router has
    // hundreds of thousands of series.
    for (const CounterField& field : counterFields) {
        prometheus::MetricFamily family{
            std::string(field.metric),
            std::string(field.help),
            field.isRate ? prometheus::MetricType::Gauge : prometheus::MetricType::Counter,
            {}};
        std::vector<size_t> taken;
        for (size_t i = 0; i < series.metrics.size(); ++i) {
            if (series.counters[i]->has(field.kind)) {
                prometheus::ClientMetric& metric = series.metrics[i];
                const double value = static_cast<double>(series.counters[i]->value(field.kind));
                (field.isRate ? metric.gauge.value : metric.counter.value) = value;
                family.metric.push_back(std::move(metric));
                taken.push_back(i);
            }
        }
        if (!family.metric.empty()) {
            write(family, out);
        }
        for (size_t k = 0; k < taken.size(); ++k) {
            series.metrics[taken[k]] = std::move(family.metric[k]);
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
