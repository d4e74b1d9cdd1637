#include "report/json_document.h"

#include <ext/stdio_sync_filebuf.h>
#include <map>
#include <nlohmann/json.hpp>
#include <ostream>
#include <set>
#include <vector>

#include "collect/action_tables.h"
#include "report/counter_fields.h"
#include "report/qos_tree.h"

namespace {

// Keys stay in the order they are written, as the document describes them.
using Json = nlohmann::ordered_json;

// A known code by its name, any other as its number.
Json code(std::optional<std::string_view> name, uint32_t number) {
    return name ? Json(*name) : Json(number);
}

// A field's value as the documents show it; none for a TruthValue that is neither.
std::optional<Json> fieldJson(const TableField& field, uint64_t value) {
    if (field.kind == ValueKind::truth) {
        const std::optional<bool> truth = truthValue(value);
        return truth ? std::optional<Json>(*truth) : std::nullopt;
    }
    if (field.kind != ValueKind::number) {
        return code(fieldCodeName(field.kind, value), value);
    }
    return Json(value);
}

void addFields(const FieldTable& table, const FieldValues& values, Json& object) {
    for (size_t f = 0; f < table.fields.size(); ++f) {
        if (values.has(f)) {
            if (std::optional<Json> value = fieldJson(table.fields[f], values.value(f))) {
                object[std::string(table.fields[f].key)] = std::move(*value);
            }
        }
    }
}

// An action's configuration and counters from its type's tables, each left out when empty.
void addActionFields(const RunResult& run, const QosObjectRecord& action, Json& object) {
    Json config = Json::object();
    Json counters = Json::object();
    const std::span<const ActionTable> tables = actionTables();
    for (size_t t = 0; t < tables.size(); ++t) {
        if (tables[t].objectType != action.objectType) {
            continue;
        }
        Json& target = tables[t].stage == ActionStage::configs ? config : counters;
        const auto [first, last] = actionRowsOf(run.actionRows, t, action);
        if (tables[t].listKey.empty()) {
            if (first != last) {
                addFields(tables[t].table, first->second, target);
            }
            continue;
        }
        Json list = Json::array();
        for (auto row = first; row != last; ++row) {
            Json& entry = list.emplace_back(Json{{"value", row->first.second}});
            addFields(tables[t].table, row->second, entry);
        }
        if (!list.empty()) {
            target[std::string(tables[t].listKey)] = std::move(list);
        }
    }
    if (const auto bandwidth =
            run.queueBandwidths.find(policyObjectKey(action.policyIndex, action.objectIndex));
        action.objectType == queueingType && bandwidth != run.queueBandwidths.end()) {
        config["bandwidthBitsPerSecond"] = bandwidth->second;
    }
    if (!config.empty()) {
        object["config"] = std::move(config);
    }
    if (!counters.empty()) {
        object["counters"] = std::move(counters);
    }
}

Json objectJson(const RunResult& run, std::span<const uint32_t> ancestors, uint32_t index) {
    const QosObjectTable& table = run.table;
    const QosObjectRecord& record = table.record(index);
    Json object = {{"objectIndex", record.objectIndex},
                   {"type", objectTypeName(record.objectType).value_or("unknown")},
                   {"typeCode", record.objectType},
                   {"configIndex", record.configIndex}};
    if (!record.name.empty()) {
        object["name"] = record.name;
    }
    if (!record.description.empty()) {
        object["description"] = record.description;
    }
    if (record.objectType == classMapType) {
        object["path"] = placeOf(table, ancestors, index).path;
    }
    addActionFields(run, record, object);
    if (record.counters.any()) {
        Json& counters = object["counters"] = Json::object();
        for (const CounterField& field : counterFields) {
            if (record.counters.has(field.kind)) {
                counters[std::string(field.jsonKey)] = record.counters.value(field.kind);
            }
        }
    }
    return object;
}

}  // namespace

void writeJsonDocument(const RunResult& run, FILE* out) {
    const QosObjectTable& table = run.table;
    std::set<uint32_t> attached;
    for (const ServicePolicy& policy : run.servicePolicies) {
        attached.insert(policy.policyIndex);
    }

    // Every top-level tree, by its policy instance, in table order.
    std::map<uint32_t, Json> trees;
    Json unattached = Json::array();
    std::vector<Json> open;
    visitTree(
        table,
        [&](uint32_t index, std::span<const uint32_t> ancestors) {
            Json object = objectJson(run, ancestors, index);
            if (ancestors.empty() && !attached.contains(table.record(index).policyIndex)) {
                Json withPolicy = {{"policyIndex", table.record(index).policyIndex}};
                withPolicy.update(object);
                object = std::move(withPolicy);
            }
            open.push_back(std::move(object));
        },
        [&](uint32_t index) {
            Json object = std::move(open.back());
            open.pop_back();
            const uint32_t policy = table.record(index).policyIndex;
            if (!open.empty()) {
                open.back()["children"].push_back(std::move(object));
            } else if (attached.contains(policy)) {
                trees[policy].push_back(std::move(object));
            } else {
                unattached.push_back(std::move(object));
            }
        });

    // A policy index listed twice shares its trees: only its last entry takes them over.
    std::map<uint32_t, size_t> uses;
    for (const ServicePolicy& policy : run.servicePolicies) {
        ++uses[policy.policyIndex];
    }
    Json policies = Json::array();
    for (const ServicePolicy& policy : run.servicePolicies) {
        Json& entry = policies.emplace_back();
        entry["policyIndex"] = policy.policyIndex;
        entry["ifIndex"] = policy.ifIndex;
        entry["ifType"] =
            policy.ifType ? code(interfaceTypeName(*policy.ifType), *policy.ifType) : Json(nullptr);
        entry["interface"] = policy.interfaceName ? Json(*policy.interfaceName) : Json(nullptr);
        if (policy.speedBitsPerSecond) {
            entry["speedBitsPerSecond"] = *policy.speedBitsPerSecond;
        }
        entry["direction"] = code(directionName(policy.direction), policy.direction);
        Json& objects = entry["objects"] = Json::array();
        if (const auto tree = trees.find(policy.policyIndex); tree != trees.end()) {
            if (--uses[policy.policyIndex] == 0) {
                objects = std::move(tree->second);
            } else {
                objects = tree->second;
            }
        }
    }
    Json errors = Json::array();
    for (const StageResult& stage : run.stages) {
        if (!stage.failure.empty()) {
            errors.push_back({{"stage", stage.name}, {"message", stage.failure}});
        }
    }
    // The keys first, the trees moved in after: a braced list of the trees would copy them,
    // and so would the object's entries whenever a new key made them move.
    Json document = {{"agent", run.agent},
                     {"servicePolicies", nullptr},
                     {"unattachedObjects", nullptr},
                     {"errors", nullptr}};
    document["servicePolicies"] = std::move(policies);
    document["unattachedObjects"] = std::move(unattached);
    document["errors"] = std::move(errors);
    // Written straight to the stream: the text of a large router is tens of megabytes.
    __gnu_cxx::stdio_sync_filebuf<char> buffer(out);
    std::ostream stream(&buffer);
    // Texts from the agent need not be UTF-8: replace what is not, rather than fail (the
    // stream operator would throw).
    nlohmann::detail::serializer<Json> serializer(nlohmann::detail::output_adapter<char>(stream),
                                                  ' ', Json::error_handler_t::replace);
    serializer.dump(document, true, false, 2);
    stream << '\n';
}
