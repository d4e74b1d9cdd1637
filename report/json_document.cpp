#include "report/json_document.h"

#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <vector>

#include "report/counter_fields.h"
#include "report/qos_tree.h"

namespace {

// Keys stay in the order they are written, as the document describes them.
using Json = nlohmann::ordered_json;

// A known code by its name, any other as its number.
Json code(std::optional<std::string_view> name, uint32_t number) {
    return name ? Json(*name) : Json(number);
}

Json objectJson(const QosObjectTable& table, std::span<const uint32_t> ancestors, uint32_t index) {
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

void writeJsonDocument(const QosObjectTable& table, const RunRecord& run, FILE* out) {
    std::set<uint32_t> attached;
    for (const ServicePolicy& policy : run.servicePolicies) {
        attached.insert(policy.policyIndex);
    }

    // Every top-level tree, by its policy instance, in table order.
    std::map<uint32_t, Json> trees;
    Json unattached = Json::array();
    std::vector<Json> open;
    walkTree(
        table,
        [&](uint32_t index, std::span<const uint32_t> ancestors) {
            Json object = objectJson(table, ancestors, index);
            if (ancestors.empty() && !attached.contains(table.record(index).policyNum)) {
                Json withPolicy = {{"policyIndex", table.record(index).policyNum}};
                withPolicy.update(object);
                object = std::move(withPolicy);
            }
            open.push_back(std::move(object));
        },
        [&](uint32_t index) {
            Json object = std::move(open.back());
            open.pop_back();
            const uint32_t policy = table.record(index).policyNum;
            if (!open.empty()) {
                open.back()["children"].push_back(std::move(object));
            } else if (attached.contains(policy)) {
                trees[policy].push_back(std::move(object));
            } else {
                unattached.push_back(std::move(object));
            }
        });

    Json policies = Json::array();
    for (const ServicePolicy& policy : run.servicePolicies) {
        const auto tree = trees.find(policy.policyIndex);
        policies.push_back(
            {{"policyIndex", policy.policyIndex},
             {"ifIndex", policy.ifIndex},
             {"ifType", policy.ifType ? code(interfaceTypeName(*policy.ifType), *policy.ifType)
                                      : Json(nullptr)},
             {"interface", policy.interfaceName ? Json(*policy.interfaceName) : Json(nullptr)},
             {"direction", code(directionName(policy.direction), policy.direction)},
             {"objects", tree != trees.end() ? tree->second : Json::array()}});
    }
    Json errors = Json::array();
    for (const StageResult& stage : run.stages) {
        if (!stage.failure.empty()) {
            errors.push_back({{"stage", stage.name}, {"message", stage.failure}});
        }
    }
    const Json document = {{"agent", run.agent},
                           {"servicePolicies", std::move(policies)},
                           {"unattachedObjects", std::move(unattached)},
                           {"errors", std::move(errors)}};
    // Texts from the agent need not be UTF-8: replace what is not, rather than fail.
    const std::string text = document.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
    std::fwrite(text.data(), 1, text.size(), out);
}
