#include "collect/tree_snapshot.h"

#include "collect/runs.h"
#include "snmp/target.h"

namespace {

// Drops the walks whose counters a later walk of the class also gives: the documents keep the
// later value, so the earlier column need not be read.
uint32_t neededWalks(uint32_t answered) {
    const std::span<const ClassStatisticsWalk> walks = documentedClassStatistics();
    uint32_t needed = answered;
    for (size_t w = 0; w < walks.size(); ++w) {
        uint32_t laterKinds = 0;
        for (size_t later = w + 1; later < walks.size(); ++later) {
            if ((answered >> later & 1U) != 0) {
                for (size_t k = 0; k < walks[later].walk.columns.size(); ++k) {
                    laterKinds |= 1U << walks[later].kinds[k];
                }
            }
        }
        bool replaced = true;
        for (size_t k = 0; k < walks[w].walk.columns.size(); ++k) {
            replaced = replaced && (laterKinds >> walks[w].kinds[k] & 1U) != 0;
        }
        if (replaced) {
            needed &= ~(1U << w);
        }
    }
    return needed;
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

std::shared_ptr<const TreeSnapshot> collectTree(RunContext& context, SnmpTarget& target,
                                                bool fast) {
    auto snapshot = std::make_shared<TreeSnapshot>();
    RunResult& tree = snapshot->tree;
    tree.agent = target.settings().agentName;
    tree.sessionOpened = true;
    collectDocumentStages(context, target, fast, {}, tree);

    const uint32_t everyWalk = (1U << documentedClassStatistics().size()) - 1;
    std::vector<ClassInstance> classMaps;
    for (uint32_t i = 0; i < tree.table.recordCount(); ++i) {
        const QosObjectRecord& record = tree.table.record(i);
        if (record.objectType == classMapType &&
            tree.table.findByPolicyObject(record.policyIndex, record.objectIndex) == &record) {
            classMaps.push_back({record.policyIndex, record.objectIndex, i, everyWalk});
        }
    }
    const CounterPoll found = getClassCounters(context, target, classMaps, false);
    snapshot->classesFailure = found.failure;
    uint32_t common = everyWalk;
    for (size_t i = 0; i < classMaps.size(); ++i) {
        const uint32_t answered = found.classes[i].answeredWalks;
        if (answered != 0) {
            common &= answered;
            snapshot->classes.push_back(classMaps[i]);
            snapshot->classes.back().walks = neededWalks(answered);
        }
    }
    for (size_t w = 0; w < documentedClassStatistics().size() && !snapshot->classes.empty(); ++w) {
        if ((common >> w & 1U) != 0) {
            snapshot->presenceWalk = w;
            break;
        }
    }
    snapshot->walkedAt = std::chrono::steady_clock::now();
    return snapshot;
}
