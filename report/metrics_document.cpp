#include "report/metrics_document.h"

#include <prometheus/text_serializer.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "report/action_metrics.h"
#include "report/counter_fields.h"
#include "report/exposition_text.h"
#include "report/qos_tree.h"

namespace {

using Labels = std::vector<prometheus::ClientMetric::Label>;

using Policies = std::map<uint32_t, const ServicePolicy*>;

// Every class with counters, labelled once: each metric family reuses the same labels.
struct ClassSeries {
    std::vector<prometheus::ClientMetric> metrics;
    std::vector<const ClassCounters*> counters;
};

// Every action in a class, with its class's labels and its own index.
struct ActionSeriesLabels {
    const QosObjectRecord* action;
    std::string labels;
};

std::string text(std::optional<std::string_view> name, uint32_t number) {
    return name ? std::string(*name) : std::to_string(number);
}

Labels classLabels(const QosObjectTable& table, const Policies& policies,
                   std::span<const uint32_t> ancestors, uint32_t index) {
    const QosObjectRecord& record = table.record(index);
    const auto attached = policies.find(record.policyIndex);
    const ServicePolicy* policy = attached != policies.end() ? attached->second : nullptr;
    const std::string ifIndex = policy ? std::to_string(policy->ifIndex) : "";
    TreePlace place = placeOf(table, ancestors, index);
    return {{"interface", policy ? policy->interfaceName.value_or(ifIndex) : ""},
            {"if_index", ifIndex},
            {"direction", policy ? text(directionName(policy->direction), policy->direction) : ""},
            {"policy", std::move(place.policy)},
            {"class", record.name},
            {"path", std::move(place.path)},
            {"policy_index", std::to_string(record.policyIndex)},
            {"object_index", std::to_string(record.objectIndex)}};
}

bool isAction(uint32_t objectType) {
    return objectType >= queueingType && objectType <= setType;
}

// The labels of every class that has counters and of every action under a class, in tree
// order.
void labelTree(const RunResult& run, ClassSeries& classes,
               std::vector<ActionSeriesLabels>& actions) {
    const QosObjectTable& table = run.table;
    Policies policies;
    for (const ServicePolicy& policy : run.servicePolicies) {
        policies.try_emplace(policy.policyIndex, &policy);
    }
    visitTree(
        table,
        [&](uint32_t index, std::span<const uint32_t> ancestors) {
            const QosObjectRecord& record = table.record(index);
            if (record.objectType == classMapType && record.counters.any()) {
                classes.metrics.emplace_back().label =
                    classLabels(table, policies, ancestors, index);
                classes.counters.push_back(&record.counters);
            }
            if (!isAction(record.objectType)) {
                return;
            }
            // The class the action belongs to: its parent, on any router we know.
            for (size_t k = ancestors.size(); k-- > 0;) {
                if (table.record(ancestors[k]).objectType == classMapType) {
                    LabelPairs labels;
                    for (prometheus::ClientMetric::Label& label :
                         classLabels(table, policies, ancestors.first(k), ancestors[k])) {
                        labels.emplace_back(std::move(label.name), std::move(label.value));
                    }
                    labels.emplace_back("action_index", std::to_string(record.objectIndex));
                    actions.push_back({&record, labelText(labels)});
                    return;
                }
            }
        },
        [](uint32_t) {});
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

size_t fieldIndex(const FieldTable& table, std::string_view key) {
    size_t f = 0;
    while (f < table.fields.size() && table.fields[f].key != key) {
        ++f;
    }
    return f;
}

// One family's series: a series for each field of the family that an action's row gave.
void writeActionFamily(const ActionMetric& family, const RunResult& run,
                       const std::vector<ActionSeriesLabels>& actions, FILE* out) {
    const ActionTable& table = actionTables()[family.table];
    std::vector<ActionSeries> fields(family.series.begin(), family.series.end());
    if (fields.empty()) {
        fields.push_back({family.key, {}});
    }
    std::vector<size_t> positions;
    for (const ActionSeries& field : fields) {
        positions.push_back(fieldIndex(table.table, field.key));
    }
    ExpositionFamily metrics(family.name, family.help,
                             family.type == prometheus::MetricType::Counter ? "counter" : "gauge");
    for (const ActionSeriesLabels& action : actions) {
        const QosObjectRecord& record = *action.action;
        if (record.objectType != table.objectType) {
            continue;
        }
        if (family.key == derivedBandwidth) {
            const auto bandwidth =
                run.queueBandwidths.find(policyObjectKey(record.policyIndex, record.objectIndex));
            if (bandwidth != run.queueBandwidths.end()) {
                metrics.add(action.labels, {}, {}, static_cast<double>(bandwidth->second));
            }
            continue;
        }
        const auto [first, last] = actionRowsOf(run.actionRows, family.table, record);
        for (auto row = first; row != last; ++row) {
            for (size_t k = 0; k < fields.size(); ++k) {
                const size_t f = positions[k];
                if (f == table.table.fields.size() || !row->second.has(f)) {
                    continue;
                }
                uint64_t value = row->second.value(f);
                if (table.table.fields[f].kind == ValueKind::truth) {
                    const std::optional<bool> truth = truthValue(value);
                    if (!truth) {
                        continue;
                    }
                    value = *truth ? 1 : 0;
                }
                // A per-value table's series are its values; the others', the field's name.
                metrics.add(action.labels, family.label,
                            family.series.empty() ? std::to_string(row->first.second)
                                                  : std::string(fields[k].labelValue),
                            static_cast<double>(value));
            }
        }
    }
    metrics.write(out);
}

}  // namespace

void writeMetricsDocument(const RunResult& run, FILE* out) {
    ClassSeries series;
    std::vector<ActionSeriesLabels> actions;
    labelTree(run, series, actions);
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

    for (const ActionMetric& family : actionMetrics) {
        writeActionFamily(family, run, actions, out);
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
