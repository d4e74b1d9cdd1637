#include "report/metrics_document.h"

#include <functional>
#include <map>
#include <vector>

#include "report/action_metrics.h"
#include "report/counter_fields.h"
#include "report/exposition.h"
#include "report/qos_tree.h"

namespace {

using Policies = std::map<uint32_t, const ServicePolicy*>;

// A class with counters, or an action under a class, with its labels formatted once: each
// metric family reuses them.
struct LabelledClass {
    std::string labels;
    const ClassCounters* counters;
};
struct LabelledAction {
    std::string labels;
    const QosObjectRecord* action;
};

// interface, if_index, direction, policy, class, path, policy_index and object_index of a class,
// then `extra` (an action's index).
std::string classLabels(const QosObjectTable& table, const Policies& policies,
                        std::span<const uint32_t> ancestors, uint32_t index,
                        const MetricLabels& extra = {}) {
    const QosObjectRecord& record = table.record(index);
    const auto attached = policies.find(record.policyIndex);
    const ServicePolicy* policy = attached != policies.end() ? attached->second : nullptr;
    const std::string ifIndex = policy ? std::to_string(policy->ifIndex) : "";
    const TreePlace place = placeOf(table, ancestors, index);
    const std::string interface = interfaceText(policy);
    const std::string direction = directionText(policy);
    const std::string policyIndex = std::to_string(record.policyIndex);
    const std::string objectIndex = std::to_string(record.objectIndex);
    MetricLabels labels = {{"interface", interface},      {"if_index", ifIndex},
                           {"direction", direction},      {"policy", place.policy},
                           {"class", record.name},        {"path", place.path},
                           {"policy_index", policyIndex}, {"object_index", objectIndex}};
    labels.insert(labels.end(), extra.begin(), extra.end());
    std::string formatted;
    appendLabels(formatted, labels);
    return formatted;
}

bool isAction(uint32_t objectType) {
    return objectType >= queueingType && objectType <= setType;
}

// Every class that has counters and every action under a class, in tree order.
void labelTree(const RunResult& run, std::vector<LabelledClass>& classes,
               std::vector<LabelledAction>& actions) {
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
                classes.push_back(
                    {classLabels(table, policies, ancestors, index), &record.counters});
            }
            if (!isAction(record.objectType)) {
                return;
            }
            // The class the action belongs to: its parent, on any router we know.
            for (size_t k = ancestors.size(); k-- > 0;) {
                if (table.record(ancestors[k]).objectType == classMapType) {
                    const std::string actionIndex = std::to_string(record.objectIndex);
                    actions.push_back({classLabels(table, policies, ancestors.first(k),
                                                   ancestors[k], {{"action_index", actionIndex}}),
                                       &record});
                    return;
                }
            }
        },
        [](uint32_t) {});
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
                       const std::vector<LabelledAction>& actions, std::string& out) {
    const ActionTable& table = actionTables()[family.table];
    std::vector<ActionSeries> fields(family.series.begin(), family.series.end());
    if (fields.empty()) {
        fields.push_back({family.key, {}});
    }
    std::vector<size_t> positions;
    for (const ActionSeries& field : fields) {
        positions.push_back(fieldIndex(table.table, field.key));
    }
    Exposition exposition(out);
    const auto sample = [&](std::string_view labels, uint64_t value) {
        if (out.empty()) {
            exposition.family(family.name, family.help,
                              family.type == prometheus::MetricType::Counter ? "counter" : "gauge");
        }
        exposition.sample(family.name, labels, value);
    };
    std::string labels;
    for (const LabelledAction& action : actions) {
        const QosObjectRecord& record = *action.action;
        if (record.objectType != table.objectType) {
            continue;
        }
        if (family.key == derivedBandwidth) {
            const auto bandwidth =
                run.queueBandwidths.find(policyObjectKey(record.policyIndex, record.objectIndex));
            if (bandwidth != run.queueBandwidths.end()) {
                sample(action.labels, bandwidth->second);
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
                labels = action.labels;
                if (!family.label.empty()) {
                    // A per-value table's series are its values; the others', the field's name.
                    const std::string labelValue = family.series.empty()
                                                       ? std::to_string(row->first.second)
                                                       : std::string(fields[k].labelValue);
                    labels += ',';
                    appendLabels(labels, {{family.label, labelValue}});
                }
                sample(labels, value);
            }
        }
    }
}

// Writes the document family by family, handing each to `emit`: a large router has hundreds
// of thousands of series.
void writeFamilies(const RunResult& run, const std::function<void(std::string&)>& emit) {
    std::vector<LabelledClass> classes;
    std::vector<LabelledAction> actions;
    labelTree(run, classes, actions);
    std::string text;
    Exposition exposition(text);
    for (const CounterField& field : counterFields) {
        for (const LabelledClass& one : classes) {
            if (!one.counters->has(field.kind)) {
                continue;
            }
            if (text.empty()) {
                exposition.family(field.metric, field.help, field.isRate ? "gauge" : "counter");
            }
            exposition.sample(field.metric, one.labels, one.counters->value(field.kind));
        }
        emit(text);
    }
    for (const ActionMetric& family : actionMetrics) {
        writeActionFamily(family, run, actions, text);
        emit(text);
    }
    exposition.family("galvetrin_stage_success",
                      "1 when the collection stage ran to its end, 0 when it failed.", "gauge");
    std::string labels;
    for (const StageResult& stage : run.stages) {
        labels.clear();
        appendLabels(labels, {{"stage", stage.name}});
        exposition.sample("galvetrin_stage_success", labels, uint64_t{stage.failed() ? 0U : 1U});
    }
    exposition.family("galvetrin_collect_duration_seconds", "Seconds the collection took.",
                      "gauge");
    exposition.sample("galvetrin_collect_duration_seconds", "", run.collectSeconds);
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
