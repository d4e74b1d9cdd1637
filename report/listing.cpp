#include "report/listing.h"

#include <cstring>
#include <vector>

namespace {

constexpr uint32_t queueingType = 4;

// Indexed by object type 1..9; the flat labels are 18 characters, the tree labels 22 with
// their indentation.
constexpr const char* flatLabels[] = {
    nullptr,
    "PolicyMap(1)      ",
    "ClassMap(2)       ",
    "matchStatement(3) ",
    "queueing(4)       ",
    "randomDetect(5)   ",
    "trafficShaping(6) ",
    "police(7)         ",
    "set(8)            ",
    "compression(9)    ",
};
constexpr const char* treeLabels[] = {
    nullptr,
    "PolicyMap(1)          ",
    "  ClassMap(2)         ",
    "    matchStatement(3) ",
    "    queueing(4)       ",
    "    randomDetect(5)   ",
    "    trafficShaping(6) ",
    "    police(7)         ",
    "    set(8)            ",
    "    compression(9)    ",
};
constexpr uint32_t knownTypes = 9;
constexpr const char* emptyCounters = "                          ";

void printLabel(const char* const (&labels)[knownTypes + 1], uint32_t objectType, FILE* out) {
    if (objectType >= 1 && objectType <= knownTypes) {
        std::fputs(labels[objectType], out);
    } else {
        std::fprintf(out, "Unknown(%u)", objectType);
    }
}

void printCounters(const QosObjectRecord& record, FILE* out) {
    if (record.prePolicyPkts != 0) {
        std::fprintf(out, "%13u %11u ", record.prePolicyPkts, record.droppedPkts);
    } else {
        std::fputs(emptyCounters, out);
    }
}

// Texts of a single character are not shown.
bool worthShowing(const char* text) {
    return text[0] != '\0' && text[1] != '\0';
}

void printFlatRow(const QosObjectRecord& record, FILE* out) {
    if (record.objectType == queueingType) {
        return;
    }
    std::fprintf(out, "%9u %11u %12u ", record.policyNum, record.objectIndex, record.parentObject);
    printLabel(flatLabels, record.objectType, out);
    std::fprintf(out, "%11u ", record.configIndex);
    printCounters(record, out);
    if (worthShowing(record.name)) {
        std::fprintf(out, "%s ", record.name);
    }
    if (worthShowing(record.description)) {
        std::fprintf(out, "(%s)", record.description);
    }
    std::fputc('\n', out);
}

void printTreeLine(const QosObjectRecord& record, FILE* out) {
    printLabel(treeLabels, record.objectType, out);
    printCounters(record, out);
    if (worthShowing(record.name)) {
        std::fprintf(out, "%s ", record.name);
    }
    if (worthShowing(record.description)) {
        std::fprintf(out, "(%s) ", record.description);
    }
    std::fputc('\n', out);
}

// Depth first, pre-order: each record whose parentObject is the key, then at once the
// records whose parentObject is its objectIndex. A record already on the current path is
// skipped with its subtree, so parent links that loop still give a finite listing. The path
// is an explicit stack: a chain of 100,000 nested records must not exhaust the call stack.
template <typename PrintRecord>
void descend(const QosObjectTable& table, uint32_t parentKey, PrintRecord printRecord) {
    struct Step {
        uint32_t record;
        uint32_t nextSibling;
    };
    std::vector<Step> path;
    std::vector<bool> onPath(table.recordCount(), false);
    uint32_t candidate = table.firstChild(parentKey);
    for (;;) {
        while (candidate != QosObjectTable::none && onPath[candidate]) {
            candidate = table.nextSibling(candidate);
        }
        if (candidate != QosObjectTable::none) {
            const QosObjectRecord& record = table.record(candidate);
            printRecord(record);
            onPath[candidate] = true;
            path.push_back({candidate, table.nextSibling(candidate)});
            candidate = table.firstChild(record.objectIndex);
        } else if (!path.empty()) {
            onPath[path.back().record] = false;
            candidate = path.back().nextSibling;
            path.pop_back();
        } else {
            return;
        }
    }
}

}  // namespace

void printFlatListing(const QosObjectTable& table, uint32_t parentKey, FILE* out) {
    descend(table, parentKey, [out](const QosObjectRecord& r) { printFlatRow(r, out); });
}

void printTreeListing(const QosObjectTable& table, uint32_t parentKey, FILE* out) {
    descend(table, parentKey, [out](const QosObjectRecord& r) { printTreeLine(r, out); });
}
