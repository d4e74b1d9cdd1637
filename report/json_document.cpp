#include "report/json_document.h"

#include <ext/stdio_sync_filebuf.h>
#include <map>
#include <nlohmann/json.hpp>
#include <ostream>
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
            Json object = objectJson(table, ancestors, index);
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
