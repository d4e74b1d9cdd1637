#include "collect/counter_poll.h"

#include <unordered_map>

#include "collect/action_tables.h"
#include "collect/stages.h"
#include "collect/walker.h"

namespace {

// Walks the presence column into `readings` (the classes' first, in the tree's order): true
// when its rows are exactly the tree's classes.
bool sameClasses(RunContext& context, SnmpSession& session, const TreeSnapshot& tree,
                 std::vector<RowReading>& readings, std::string& failure) {
    if (!tree.presenceWalk) {
        return true;  // the GETs alone tell whether the classes still answer
    }
    std::unordered_map<uint64_t, size_t> position;
    for (size_t i = 0; i < tree.classes.size(); ++i) {
        position.emplace(tree.classes[i].row.key.first, i);
    }
    const StageWalk& walk = classStatisticsTable().walks[*tree.presenceWalk];
    bool same = true;
    size_t rows = 0;
    // -fast's walk: rows sized to fill a response.
    ColumnWalker walker(context, session, true);
    const WalkOutcome outcome = walker.walk(walk, [&](Row row) {
        const std::span<const oid> name = row[0]->name();
        const size_t indexAt = walk.columns.front().size();
        const auto known =
            position.find(policyObjectKey(subidAt(name, indexAt), subidAt(name, indexAt + 1)));
        RowReading* reading = known != position.end() ? &readings[known->second] : nullptr;
        same = same && reading != nullptr && reading->answeredWalks == 0;
        if (reading != nullptr && reading->answeredWalks == 0) {
            reading->columns.push_back({walk.columns.front().back(), row[0]->wholeNumber(),
                                        row[0]->type() == ASN_COUNTER});
            reading->answeredWalks = 1U << *tree.presenceWalk;
            reading->arrival = std::chrono::steady_clock::now();
        }
        ++rows;
    });
    failure = outcome.failure;
    return same && rows == tree.classes.size();
}

}  // namespace

CounterPoll pollCounters(RunContext& context, SnmpSession& session, const TreeSnapshot& tree,
                         bool forRates) {
    context.countersBegin();
    CounterPoll poll;
    // The classes' rows, then the actions'.
    std::vector<KnownRow> asked;
    for (const ClassInstance& instance : tree.classes) {
        asked.push_back(instance.row);
    }
    for (const ActionInstance& action : tree.actions) {
        asked.push_back(action.row);
    }
    std::vector<RowReading> readings(asked.size());
    if (!sameClasses(context, session, tree, readings, poll.failure)) {
        poll.configurationChanged = !poll.failed();
        return poll;
    }
    if (forRates) {
        readings.assign(asked.size(), RowReading{});
    } else {
        // The walk gave each class its presence column: the GETs ask for the others.
        for (size_t i = 0; i < tree.classes.size() && tree.presenceWalk; ++i) {
            asked[i].walks &= ~(1U << *tree.presenceWalk);
        }
    }
    RowGets gets = getRows(context, session, asked, forRates, std::move(readings));
    poll.sysUpTime = gets.sysUpTime;
    poll.firstAnswer = gets.firstAnswer;
    poll.failure = gets.failure;
    for (size_t i = 0; i < asked.size(); ++i) {
        const bool unanswered =
            asked[i].walks != 0 && (gets.rows[i].answeredWalks & asked[i].walks) == 0;
        poll.configurationChanged = poll.configurationChanged || (!poll.failed() && unanswered);
    }
    for (size_t i = 0; i < tree.classes.size(); ++i) {
        ClassReading& reading = poll.classes.emplace_back();
        reading.arrival = gets.rows[i].arrival;
        setDocumentedCounters(reading.counters, gets.rows[i].columns, &reading.narrowKinds);
    }
    poll.actions.assign(std::make_move_iterator(gets.rows.begin() + tree.classes.size()),
                        std::make_move_iterator(gets.rows.end()));
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
    // counters come last.
    const auto interfaceNames =
        std::find_if(result.stages.begin(), result.stages.end(),
                     [](const StageResult& stage) { return stage.name == "interfaceNames"; });
    result.stages.insert(
        interfaceNames,
        {"classCounters", tree.classesFailure.empty() ? poll.failure : tree.classesFailure});
    if (tree.actionCounters) {
        result.actionRows.resize(actionTables().size());
        for (size_t i = 0; i < tree.actions.size() && i < poll.actions.size(); ++i) {
            const ActionInstance& action = tree.actions[i];
            keepFields(*action.row.table, action.row.key, poll.actions[i].columns,
                       result.actionRows[action.table]);
        }
        result.stages.push_back(
            {"actionCounters", tree.actionsFailure.empty() ? poll.failure : tree.actionsFailure});
    }
    return result;
}
