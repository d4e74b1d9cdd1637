// The object table, both listings and both documents on 100,000 records shaped like a provider
// edge router, 42% of them actions with their configuration and counters: appending, the three
// lookups the stages and the report use, and each listing and document printed to /dev/null.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "collect/action_tables.h"
#include "collect/object_table.h"
#include "collect/run_result.h"
#include "report/json_document.h"
#include "report/listing.h"
#include "report/metrics_document.h"

namespace {

constexpr uint32_t fullTable = QosObjectTable::defaultCapacity;

struct Object {
    uint32_t policyIndex;
    uint32_t objectIndex;
    uint32_t configIndex;
    uint32_t objectType;
    uint32_t parentObject;
};

struct ConfigName {
    uint32_t configIndex;
    std::string name;
    std::string description;
};

// A shaper on every subinterface whose class-default holds a queueing policy of five
// classes: 26 objects per attached policy, object indices unique across the router.
struct Router {
    std::vector<Object> objects;
    std::vector<ConfigName> names;

    Router() {
        names = {{100, "SHAPE-50M-GOLD", "Shaped to 50 Mbit/s"},
                 {101, "QOS-OUT-GOLD", "Five classes"},
                 {200, "class-default", ""},
                 {300, "match any", ""}};
        const char* classNames[] = {"VOICE", "VIDEO", "SIGNALLING", "CRITICAL-DATA", "BULK-DATA"};
        for (uint32_t c = 0; c < 5; ++c) {
            names.push_back(
                {201 + c, classNames[c], "Customer traffic class " + std::to_string(c)});
            names.push_back({301 + c, "match dscp af" + std::to_string(c + 1) + "1", "1"});
        }
        uint32_t objectIndex = 1000;
        for (uint32_t policy = 16; objects.size() < fullTable; policy += 16) {
            addPolicy(policy, objectIndex);
        }
        objects.resize(fullTable);
    }

    void add(uint32_t policy, uint32_t& objectIndex, uint32_t config, uint32_t type,
             uint32_t parent) {
        objectIndex += 3;
        objects.push_back({policy, objectIndex, config, type, parent});
    }

    void addPolicy(uint32_t policy, uint32_t& objectIndex) {
        add(policy, objectIndex, 100, 1, 0);
        const uint32_t shaper = objectIndex;
        add(policy, objectIndex, 200, 2, shaper);
        const uint32_t shapedDefault = objectIndex;
        add(policy, objectIndex, 300, 3, shapedDefault);
        add(policy, objectIndex, 1'600'000'000, 6, shapedDefault);
        add(policy, objectIndex, 101, 1, shapedDefault);
        const uint32_t child = objectIndex;
        for (uint32_t c = 0; c < 5; ++c) {
            add(policy, objectIndex, 201 + c, 2, child);
            const uint32_t cls = objectIndex;
            add(policy, objectIndex, 301 + c, 3, cls);
            add(policy, objectIndex, 1'600'000'100 + c, 4, cls);
            add(policy, objectIndex, 1'600'000'200 + c, c == 0 ? 7 : 5, cls);
        }
    }
};

const Router& router() {
    static const Router shape;
    return shape;
}

void appendAll(QosObjectTable& table) {
    table.clearTable();
    for (const Object& o : router().objects) {
        table.appendObject(o.policyIndex, o.objectIndex, o.configIndex, o.objectType,
                           o.parentObject);
    }
}

// What the three name stages do: every record with a row's configuration index gets the texts.
void nameAll(QosObjectTable& table) {
    for (const ConfigName& row : router().names) {
        for (uint32_t i = table.firstWithConfigIndex(row.configIndex); i != QosObjectTable::none;
             i = table.nextWithConfigIndex(i)) {
            table.record(i).setTexts(row.name, row.description);
        }
    }
}

// What the statistics stage does: the counters of every class, a quarter of them idle.
void countAll(QosObjectTable& table) {
    uint32_t row = 0;
    for (const Object& o : router().objects) {
        if (o.objectType == 2) {
            QosObjectRecord* record = table.findByPolicyObject(o.policyIndex, o.objectIndex);
            record->counters.set(ClassCounters::prePolicyPackets,
                                 row % 4 == 0 ? 0 : 4'000'000'000U - row * 7919U);
            record->counters.set(ClassCounters::droppedPackets, row % 3 == 0 ? row : 0);
            for (uint32_t kind = 0; kind < ClassCounters::kindCount; ++kind) {
                record->counters.set(static_cast<ClassCounters::Kind>(kind),
                                     6'000'000'000ULL * (kind + 1) + row);
            }
            ++row;
        }
    }
}

// What the action stages give: every field of each action type's tables, a configuration per
// configuration index, counters per action, three values per WRED action.
void fillActions(RunResult& run) {
    const std::span<const ActionTable> tables = actionTables();
    run.actionRows.resize(tables.size());
    for (uint32_t r = 0; r < run.table.recordCount(); ++r) {
        const QosObjectRecord& action = run.table.record(r);
        for (size_t t = 0; t < tables.size(); ++t) {
            if (tables[t].objectType != action.objectType) {
                continue;
            }
            const bool byConfig = tables[t].stage == ActionStage::configs;
            const uint64_t index = byConfig
                                       ? action.configIndex
                                       : policyObjectKey(action.policyIndex, action.objectIndex);
            for (uint32_t value : tables[t].listKey.empty() ? std::vector<uint32_t>{0}
                                                            : std::vector<uint32_t>{10, 12, 14}) {
                FieldValues& fields = run.actionRows[t][{index, value}];
                for (size_t f = 0; f < tables[t].table.fields.size(); ++f) {
                    fields.set(f, tables[t].table.fields[f].kind == ValueKind::number
                                      ? 5'000'000'000ULL + r * 7919ULL + f
                                      : 1);
                }
            }
        }
        if (action.objectType == queueingType) {
            run.queueBandwidths[policyObjectKey(action.policyIndex, action.objectIndex)] =
                50'000'000;
        }
    }
}

// Every policy of the router attached to an interface of its own, every stage a success.
void attachPolicies(RunResult& run) {
    run.agent = "192.0.2.1";
    for (const Object& o : router().objects) {
        if (o.parentObject == 0) {
            run.servicePolicies.push_back({o.policyIndex, 2, o.policyIndex / 16, 1,
                                           "GigabitEthernet0/0/0." + std::to_string(o.policyIndex),
                                           1'000'000'000});
        }
    }
    for (const char* stage :
         {"servicePolicies", "objects", "policyMapNames", "classMapNames", "matchStatements",
          "classCounters", "interfaceNames", "actionConfigs", "actionCounters"}) {
        run.stages.push_back({stage, ""});
    }
}

RunResult& filledRun() {
    static RunResult run;
    static const bool filled = [] {
        appendAll(run.table);
        nameAll(run.table);
        countAll(run.table);
        fillActions(run);
        attachPolicies(run);
        return true;
    }();
    (void)filled;
    return run;
}

QosObjectTable& filledTable() {
    return filledRun().table;
}

void BM_AppendObjects(benchmark::State& state) {
    static QosObjectTable table;
    for (auto _ : state) {
        appendAll(table);
        benchmark::DoNotOptimize(table.recordCount());
    }
    state.SetItemsProcessed(state.iterations() * fullTable);
}
BENCHMARK(BM_AppendObjects)->Unit(benchmark::kMillisecond);

void BM_ConfigIndexChains(benchmark::State& state) {
    QosObjectTable& table = filledTable();
    for (auto _ : state) {
        nameAll(table);
    }
    state.SetItemsProcessed(state.iterations() * router().names.size());
}
BENCHMARK(BM_ConfigIndexChains)->Unit(benchmark::kMillisecond);

void BM_FindByPolicyObject(benchmark::State& state) {
    QosObjectTable& table = filledTable();
    for (auto _ : state) {
        for (const Object& o : router().objects) {
            benchmark::DoNotOptimize(table.findByPolicyObject(o.policyIndex, o.objectIndex));
        }
    }
    state.SetItemsProcessed(state.iterations() * fullTable);
}
BENCHMARK(BM_FindByPolicyObject)->Unit(benchmark::kMillisecond);

void BM_Children(benchmark::State& state) {
    const QosObjectTable& table = filledTable();
    for (auto _ : state) {
        uint32_t children = 0;
        for (uint32_t r = 0; r < table.recordCount(); ++r) {
            for (uint32_t i = table.firstChild(r); i != QosObjectTable::none;
                 i = table.nextSibling(i)) {
                ++children;
            }
        }
        benchmark::DoNotOptimize(children);
    }
    state.SetItemsProcessed(state.iterations() * fullTable);
}
BENCHMARK(BM_Children)->Unit(benchmark::kMillisecond);

template <void (*printListing)(const QosObjectTable&, FILE*)>
void BM_Listing(benchmark::State& state) {
    const QosObjectTable& table = filledTable();
    FILE* devNull = std::fopen("/dev/null", "w");
    for (auto _ : state) {
        printListing(table, devNull);
        std::fflush(devNull);
    }
    std::fclose(devNull);
    state.SetItemsProcessed(state.iterations() * fullTable);
}
BENCHMARK(BM_Listing<printFlatListing>)->Name("BM_FlatListing")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Listing<printTreeListing>)->Name("BM_TreeListing")->Unit(benchmark::kMillisecond);

template <void (*writeDocument)(const RunResult&, FILE*)>
void BM_Document(benchmark::State& state) {
    const RunResult& run = filledRun();
    FILE* devNull = std::fopen("/dev/null", "w");
    for (auto _ : state) {
        writeDocument(run, devNull);
        std::fflush(devNull);
    }
    std::fclose(devNull);
    state.SetItemsProcessed(state.iterations() * fullTable);
}
BENCHMARK(BM_Document<writeJsonDocument>)->Name("BM_JsonDocument")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Document<writeMetricsDocument>)
    ->Name("BM_MetricsDocument")
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
