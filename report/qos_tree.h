// The hierarchy of the object table as every writer shows it: depth first from the top level,
// each record's children (same policy instance, parent = its object index) in table order.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "collect/field_table.h"
#include "collect/object_table.h"
#include "collect/run_result.h"

// Calls enter(record, ancestors) for each record reached, `ancestors` being the records above
// it with the top-level one first, and leave(record) once its subtree is done. A record already
// on the path is skipped with its subtree, so parent links that loop inside one policy still
// end. The path is an explicit stack: a chain of 100,000 nested records must not exhaust the
// call stack.
template <typename Enter, typename Leave>
void visitTree(const QosObjectTable& table, Enter&& enter, Leave&& leave) {
    std::vector<uint32_t> ancestors;
    std::vector<uint32_t> nextSiblings;  // of each ancestor: where to go on after its subtree
    std::vector<bool> onPath(table.recordCount(), false);
    uint32_t candidate = table.firstTopLevel();
    for (;;) {
        while (candidate != QosObjectTable::none && onPath[candidate]) {
            candidate = table.nextSibling(candidate);
        }
        if (candidate != QosObjectTable::none) {
            enter(candidate, std::span<const uint32_t>(ancestors));
            onPath[candidate] = true;
            ancestors.push_back(candidate);
            nextSiblings.push_back(table.nextSibling(candidate));
            candidate = table.firstChild(candidate);
        } else if (!ancestors.empty()) {
            leave(ancestors.back());
            onPath[ancestors.back()] = false;
            candidate = nextSiblings.back();
            ancestors.pop_back();
            nextSiblings.pop_back();
        } else {
            return;
        }
    }
}

// Where a record sits, named for people and programs: its nearest policy map (itself, for a
// policy map) and the names from the top policy map down to it, joined by "/".
struct TreePlace {
    std::string policy;
    std::string path;
};
TreePlace placeOf(const QosObjectTable& table, std::span<const uint32_t> ancestors,
                  uint32_t record);

// The names the documents give to codes of the MIB; none for a code they do not know.
std::optional<std::string_view> directionName(uint32_t direction);    // cbQosPolicyDirection
std::optional<std::string_view> interfaceTypeName(uint32_t ifType);   // cbQosIfType
std::optional<std::string_view> objectTypeName(uint32_t objectType);  // cbQosObjectsType
// The name of a field's code (rate types, units, limit types, WRED mechanisms); none for a
// code the documents do not know and for fields that are not codes.
std::optional<std::string_view> fieldCodeName(ValueKind kind, uint64_t code);
// A TruthValue: true(1) or false(2); none for anything else.
std::optional<bool> truthValue(uint64_t value);

// The interface a policy instance sits on as the writers name it: its name, else its ifIndex;
// and its direction's name, else the number. Both empty without a policy.
std::string interfaceText(const ServicePolicy* policy);
std::string directionText(const ServicePolicy* policy);
