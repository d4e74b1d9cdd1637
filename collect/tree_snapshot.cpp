#include "collect/tree_snapshot.h"

#include <algorithm>

#include "collect/action_tables.h"
#include "collect/runs.h"
#include "collect/stages.h"

namespace {

// The walks a row gave, and those of them the documents' rule reads its values from.
uint32_t answeredWalks(const FieldTable& table, const ColumnValues& row) {
    std::vector<oid> columns;
    for (const ColumnValue& value : row) {
        columns.push_back(value.column);
    }
    return walkBits(table, columns);
}
uint32_t neededWalks(const FieldTable& table, const ColumnValues& row) {
    return walkBits(table, sourceColumns(table, row));
}

// The tree a poll fills: the walk's result without its counters, which would be stale by then.
RunResult withoutCounters(const RunResult& documents) {
    RunResult tree = documents;
    for (uint32_t i = 0; i < tree.table.recordCount(); ++i) {
        tree.table.record(i).counters = ClassCounters{};
    }
    for (size_t t = 0; t < tree.actionRows.size(); ++t) {
        if (actionTables()[t].stage == ActionStage::counters) {
            tree.actionRows[t].clear();
        }
    }
    std::erase_if(tree.stages, [](const StageResult& stage) {
        return stage.name == "classCounters" || stage.name == "actionCounters";
    });
    return tree;
}

std::string failureOf(const RunResult& result, std::string_view stageName) {
    for (const StageResult& stage : result.stages) {
        if (stage.name == stageName) {
            return stage.failure;
        }
    }
    return {};
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
    return classesFailure.empty() ? actionsFailure : classesFailure;
}

WalkedTree walkTree(RunContext& context, SnmpSession& session, bool fast, bool actionCounters) {
    WalkedTree walked;
    RunResult& documents = walked.documents;
    documents.agent = session.settings().agentName;
    documents.sessionOpened = true;
    CounterColumns columns;
    collectDocumentStages(context, session, fast, actionCounters, documents, columns);

    auto snapshot = std::make_shared<TreeSnapshot>();
    snapshot->tree = withoutCounters(documents);
    snapshot->classesFailure = failureOf(documents, "classCounters");
    snapshot->actionsFailure = failureOf(documents, "actionCounters");
    walked.poll.failure = snapshot->classesFailure;
    snapshot->walkedAt = std::chrono::steady_clock::now();
    const FieldTable& statistics = classStatisticsTable();
    uint32_t common = (1U << statistics.walks.size()) - 1;
    for (uint32_t i = 0; i < documents.table.recordCount(); ++i) {
        const QosObjectRecord& record = documents.table.record(i);
        const RowKey key{policyObjectKey(record.policyIndex, record.objectIndex), 0};
        const auto row = columns.classes.find(key);
        if (record.objectType != classMapType || row == columns.classes.end() ||
            documents.table.findByPolicyObject(record.policyIndex, record.objectIndex) != &record) {
            continue;
        }
        ClassReading& reading = walked.poll.classes.emplace_back();
        reading.arrival = snapshot->walkedAt;
        setDocumentedCounters(reading.counters, row->second, &reading.narrowKinds);
        common &= answeredWalks(statistics, row->second);
        snapshot->classes.push_back({{&statistics, key, neededWalks(statistics, row->second)}, i});
    }
    snapshot->actionCounters = actionCounters;
    for (size_t t = 0; t < columns.actions.size(); ++t) {
        const FieldTable& table = actionTables()[t].table;
        for (const auto& [key, row] : columns.actions[t]) {
            if (const uint32_t needed = neededWalks(table, row); needed != 0) {
                snapshot->actions.push_back({{&table, key, needed}, t});
            }
        }
    }
    // The pre-policy packets, 64-bit or 32-bit, which every class that counts at all has; an
    // overflow column goes unanswered on many routers. Else any column all classes have.
    for (const oid preferred : {cbQosCMPrePolicyPkt64.back(), cbQosCMPrePolicyPkt.back(), oid{0}}) {
        for (size_t w = 0; w < statistics.walks.size() && !snapshot->classes.empty(); ++w) {
            const bool fits =
                preferred == 0 || statistics.walks[w].columns.front().back() == preferred;
            if (fits && (common >> w & 1U) != 0 && !snapshot->presenceWalk) {
                snapshot->presenceWalk = w;
            }
        }
    }
    walked.tree = std::move(snapshot);
    return walked;
}
