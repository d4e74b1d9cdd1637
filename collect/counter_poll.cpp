#include "collect/counter_poll.h"

#include <unordered_map>

#include "collect/stages.h"
#include "collect/walker.h"

namespace {

uint64_t classKey(uint32_t policyIndex, uint32_t objectIndex) {
    return (static_cast<uint64_t>(policyIndex) << 32) | objectIndex;
}

// Walks the presence column into `readings` (one per class of the tree): true when its rows
// are exactly the tree's classes.
bool sameClasses(RunContext& context, SnmpSession& session, const TreeSnapshot& tree,
                 std::vector<ClassReading>& readings, std::string& failure) {
    if (!tree.presenceWalk) {
        return true;  // the GETs alone tell whether the classes still answer
    }
    std::unordered_map<uint64_t, size_t> position;
    for (size_t i = 0; i < tree.classes.size(); ++i) {
        position.emplace(classKey(tree.classes[i].policyIndex, tree.classes[i].objectIndex), i);
    }
    const StageWalk& walk = documentedClassStatisticsWalks()[*tree.presenceWalk];
    bool same = true;
    size_t rows = 0;
    // -fast's walk: rows sized to fill a response.
    ColumnWalker walker(context, session, true);
    const WalkOutcome outcome = walker.walk(walk, [&](Row row) {
        const std::span<const oid> name = row[0]->name();
        const size_t indexAt = walk.columns.front().size();
        const auto known =
            position.find(classKey(subidAt(name, indexAt), subidAt(name, indexAt + 1)));
        ClassReading* reading = known != position.end() ? &readings[known->second] : nullptr;
        same = same && reading != nullptr && reading->answeredWalks == 0;
        if (reading != nullptr && reading->answeredWalks == 0) {
            reading->columns.push_back({walk.columns.front().back(), row[0]->wholeNumber(),
                                        row[0]->type() == ASN_COUNTER});
            reading->answeredWalks = 1U << *tree.presenceWalk;
        }
        ++rows;
    });
    failure = outcome.failure;
    return same && rows == readings.size();
}

}  // namespace

CounterPoll pollCounters(RunContext& context, SnmpSession& session, const TreeSnapshot& tree,
                         bool withUptime) {
    if (context.sinks().countersBegin) {
        context.sinks().countersBegin();
    }
    CounterPoll poll;
    poll.classes.resize(tree.classes.size());
    if (!sameClasses(context, session, tree, poll.classes, poll.failure)) {
        poll.configurationChanged = !poll.failed();
        return poll;
    }
    // The walk gave each class its presence column: the GETs ask for the others.
    std::vector<ClassInstance> rest = tree.classes;
    for (ClassInstance& instance : rest) {
        instance.walks &= tree.presenceWalk ? ~(1U << *tree.presenceWalk) : ~0U;
    }
    poll = getClassCounters(context, session, rest, withUptime, std::move(poll.classes));
    for (size_t i = 0; i < rest.size(); ++i) {
        const bool unanswered =
            rest[i].walks != 0 && (poll.classes[i].answeredWalks & rest[i].walks) == 0;
        poll.configurationChanged = poll.configurationChanged || (!poll.failed() && unanswered);
    }
    return poll;
}

FollowedPoll pollFollowingTree(RunContext& context, SnmpSession& session,
                               std::shared_ptr<const TreeSnapshot> tree,
                               const TreePolling& polling) {
    FollowedPoll followed;
    const auto walk = [&] {
        WalkedTree walked = walkTree(context, session, polling.fast, polling.actionCounters);
        followed.treeWalked = true;
        tree = std::move(walked.tree);
        if (!polling.forRates) {
            followed.poll = std::move(walked.poll);
            followed.walkedDocuments = std::move(walked.documents);
        }
    };
    if (!tree) {
        walk();
    }
    if (!followed.walkedDocuments) {
        followed.poll = pollCounters(context, session, *tree, polling.forRates);
    }
    if (followed.poll.configurationChanged && !followed.treeWalked) {
        followed.configurationChanged = true;
        walk();
        if (!followed.walkedDocuments) {
            followed.poll = pollCounters(context, session, *tree, polling.forRates);
        }
    }
    followed.tree = std::move(tree);
    return followed;
}

RunResult documentsResult(const TreeSnapshot& tree, const CounterPoll& poll) {
    RunResult result = tree.tree;
    for (size_t i = 0; i < tree.classes.size() && i < poll.classes.size(); ++i) {
        result.table.record(tree.classes[i].record).counters = poll.classes[i].counters;
    }
    // At its place in the documents' stage order: before the interface names. The actions'
    // counters, read after a poll, come last.
    const auto interfaceNames =
        std::find_if(result.stages.begin(), result.stages.end(),
                     [](const StageResult& stage) { return stage.name == "interfaceNames"; });
    result.stages.insert(
        interfaceNames,
        {"classCounters", tree.classesFailure.empty() ? poll.failure : tree.classesFailure});
    return result;
}
