#include "collect/tree_snapshot.h"

#include <algorithm>
#include "collect/runs.h"

#include "collect/stages.h"

namespace {

// The columns the documents' rule reads of those the class answered: a 64-bit column instead of
// the overflow and low ones, those instead of the low one alone.
uint32_t neededWalks(const ClassReading& reading) {
    const std::vector<oid> needed = documentedSourceColumns(reading.columns);
    const std::span<const StageWalk> walks = documentedClassStatisticsWalks();
    uint32_t bits = 0;
    for (size_t w = 0; w < walks.size(); ++w) {
        if (std::find(needed.begin(), needed.end(), walks[w].columns.front().back()) !=
            needed.end()) {
            bits |= 1U << w;
        }
    }
    return bits;
}

}  // namespace

bool TreeSnapshot::complete() const {
    return failure().empty();
}

std::string TreeSnapshot::failure() const {
    for (const StageResult& stage : tree.stages) {
        if (stage.failed()) {
            return stage.failure;
        }
    }
    return classesFailure;
}

std::shared_ptr<const TreeSnapshot> collectTree(RunContext& context, SnmpSession& session,
                                                bool fast) {
    auto snapshot = std::make_shared<TreeSnapshot>();
    RunResult& tree = snapshot->tree;
    tree.agent = session.settings().agentName;
    tree.sessionOpened = true;
    collectDocumentStages(context, session, fast, false, tree);

    const uint32_t everyWalk = (1U << documentedClassStatisticsWalks().size()) - 1;
    std::vector<ClassInstance> classMaps;
    for (uint32_t i = 0; i < tree.table.recordCount(); ++i) {
        const QosObjectRecord& record = tree.table.record(i);
        if (record.objectType == classMapType &&
            tree.table.findByPolicyObject(record.policyIndex, record.objectIndex) == &record) {
            classMaps.push_back({record.policyIndex, record.objectIndex, i, everyWalk});
        }
    }
    const CounterPoll found = getClassCounters(context, session, classMaps, false);
    snapshot->classesFailure = found.failure;
    uint32_t common = everyWalk;
    for (size_t i = 0; i < classMaps.size(); ++i) {
        const uint32_t answered = found.classes[i].answeredWalks;
        if (answered != 0) {
            common &= answered;
            snapshot->classes.push_back(classMaps[i]);
            snapshot->classes.back().walks = neededWalks(found.classes[i]);
        }
    }
    // The pre-policy packets, 64-bit or 32-bit, which every class that counts at all has; an
    // overflow column goes unanswered on many routers. Else any column all classes have.
    const std::span<const StageWalk> walks = documentedClassStatisticsWalks();
    for (const oid preferred : {cbQosCMPrePolicyPkt64.back(), cbQosCMPrePolicyPkt.back(), oid{0}}) {
        for (size_t w = 0; w < walks.size() && !snapshot->classes.empty(); ++w) {
            const bool fits = preferred == 0 || walks[w].columns.front().back() == preferred;
            if (fits && (common >> w & 1U) != 0 && !snapshot->presenceWalk) {
                snapshot->presenceWalk = w;
            }
        }
    }
    snapshot->walkedAt = std::chrono::steady_clock::now();
    return snapshot;
}
