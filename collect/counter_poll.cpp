#include "collect/counter_poll.h"

#include <unordered_map>

#include "collect/stages.h"
#include "collect/walker.h"

namespace {

uint64_t classKey(uint32_t policyIndex, uint32_t objectIndex) {
    return (static_cast<uint64_t>(policyIndex) << 32) | objectIndex;
}

// Walks the presence column: true when its rows are exactly the tree's classes.
bool sameClasses(RunContext& context, SnmpSession& session, const TreeSnapshot& tree,
                 std::string& failure) {
    if (!tree.presenceWalk) {
        return true;  // the GETs alone tell whether the classes still answer
    }
    std::unordered_map<uint64_t, bool> seen;
    for (const ClassInstance& instance : tree.classes) {
        seen.emplace(classKey(instance.policyIndex, instance.objectIndex), false);
    }
    const StageWalk& walk = documentedClassStatisticsWalks()[*tree.presenceWalk];
    bool same = true;
    size_t rows = 0;
    // -fast's walk: rows sized to fill a response.
    ColumnWalker walker(context, session, true);
    const WalkOutcome outcome = walker.walk(walk, [&](Row row) {
        const std::span<const oid> name = row[0]->name();
        const size_t indexAt = walk.columns.front().size();
        const auto known = seen.find(classKey(subidAt(name, indexAt), subidAt(name, indexAt + 1)));
        same = same && known != seen.end() && !known->second;
        if (known != seen.end()) {
            known->second = true;
        }
        ++rows;
    });
    failure = outcome.failure;
    return same && rows == seen.size();
}

}  // namespace

CounterPoll pollCounters(RunContext& context, SnmpSession& session, const TreeSnapshot& tree,
                         bool withUptime) {
    if (context.sinks().countersBegin) {
        context.sinks().countersBegin();
    }
    CounterPoll poll;
    if (!sameClasses(context, session, tree, poll.failure)) {
        poll.configurationChanged = !poll.failed();
        return poll;
    }
    poll = getClassCounters(context, session, tree.classes, withUptime);
    poll.failure = stageFailure(context, poll.failure);
    for (const ClassReading& reading : poll.classes) {
        poll.configurationChanged =
            poll.configurationChanged || (!poll.failed() && reading.answeredWalks == 0);
    }
    return poll;
}

FollowedPoll pollFollowingTree(RunContext& context, SnmpSession& session,
                               std::shared_ptr<const TreeSnapshot> tree, bool fast,
                               bool withUptime) {
    FollowedPoll followed;
    if (!tree) {
        tree = collectTree(context, session, fast);
        followed.treeWalked = true;
    }
    followed.poll = pollCounters(context, session, *tree, withUptime);
    if (followed.poll.configurationChanged && !followed.treeWalked) {
        followed.configurationChanged = true;
        followed.treeWalked = true;
        tree = collectTree(context, session, fast);
        followed.poll = pollCounters(context, session, *tree, withUptime);
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
