#include "collect/tree_snapshot.h"

#include <algorithm>

#include "collect/action_tables.h"
#include "collect/runs.h"
#include "collect/stages.h"

namespace {

// The bits, one per documentedClassStatisticsWalks() entry, of these columns.
uint32_t walksOf(std::span<const oid> columns) {
    const std::span<const StageWalk> walks = documentedClassStatisticsWalks();
    uint32_t bits = 0;
    for (size_t w = 0; w < walks.size(); ++w) {
        if (std::find(columns.begin(), columns.end(), walks[w].columns.front().back()) !=
            columns.end()) {
            bits |= 1U << w;
        }
    }
    return bits;
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
    return classesFailure;
}

WalkedTree walkTree(RunContext& context, SnmpSession& session, bool fast, bool actionCounters) {
    WalkedTree walked;
    RunResult& documents = walked.documents;
    documents.agent = session.settings().agentName;
    documents.sessionOpened = true;
    TableColumns classColumns;
    collectDocumentStages(context, session, fast, actionCounters, documents, classColumns);

    auto snapshot = std::make_shared<TreeSnapshot>();
    snapshot->tree = withoutCounters(documents);
    snapshot->classesFailure = failureOf(documents, "classCounters");
    walked.poll.failure = snapshot->classesFailure;
    snapshot->walkedAt = std::chrono::steady_clock::now();
    uint32_t common = (1U << documentedClassStatisticsWalks().size()) - 1;
    for (uint32_t i = 0; i < documents.table.recordCount(); ++i) {
        const QosObjectRecord& record = documents.table.record(i);
        const auto row =
            classColumns.find({policyObjectKey(record.policyIndex, record.objectIndex), 0});
        if (record.objectType != classMapType || row == classColumns.end() ||
            documents.table.findByPolicyObject(record.policyIndex, record.objectIndex) != &record) {
            continue;
        }
        ClassReading& reading = walked.poll.classes.emplace_back();
        reading.columns = row->second;
        reading.arrival = snapshot->walkedAt;
        setDocumentedCounters(reading.counters, reading.columns, &reading.narrowKinds);
        std::vector<oid> answered;
        for (const ColumnValue& value : reading.columns) {
            answered.push_back(value.column);
        }
        reading.answeredWalks = walksOf(answered);
        common &= reading.answeredWalks;
        snapshot->classes.push_back({record.policyIndex, record.objectIndex, i,
                                     walksOf(documentedSourceColumns(reading.columns))});
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
    walked.tree = std::move(snapshot);
    return walked;
}
