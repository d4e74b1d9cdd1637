// The metrics' labels: names joined along each class's own policy tree, escaped as the
// exposition format requires; classes under a missing parent or in a loop have no place.
// Counters are exact integers, also above 2^53.
#include "report/metrics_document.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

TEST(MetricsDocument, LabelsJoinNamesAlongTheTreeAndAreEscaped) {
    struct Object {
        uint32_t policy, index, parent, type;
        const char* name;
    };
    const Object objects[] = {{1, 1, 0, 1, "EDGE"},   {1, 2, 1, 2, "VOICE"},
                              {1, 3, 9, 2, "LOST"},   {1, 4, 5, 2, "LOOP-A"},
                              {1, 5, 4, 2, "LOOP-B"}, {2, 1, 0, 1, "a\"b\\c"},
                              {2, 7, 1, 1, "CHILD"},  {2, 2, 7, 2, "x\ny"}};
    RunResult run;
    run.agent = "192.0.2.1";
    run.servicePolicies = {{2, 1, 5, 1, "Gi0/1", {}}};
    QosObjectTable& table = run.table;
    for (const Object& o : objects) {
        table.appendObject(o.policy, o.index, 40, o.type, o.parent);
        table.record(table.recordCount() - 1).setTexts(o.name, "");
        table.record(table.recordCount() - 1).counters.set(ClassCounters::prePolicyPackets, 7);
    }
    table.record(1).counters.set(ClassCounters::droppedBytes, 18446744073709551615U);
    char* text = nullptr;
    size_t size = 0;
    FILE* out = open_memstream(&text, &size);
    writeMetricsDocument(run, out);
    std::fclose(out);
    const std::string metrics(text, size);
    std::free(text);
    EXPECT_NE(std::string::npos, metrics.find("object_index=\"2\"} 18446744073709551615\n"));
    const std::string name = "galvetrin_class_pre_policy_packets_total{";
    EXPECT_EQ(name +
                  R"(interface="",if_index="",direction="",policy="EDGE",class="VOICE",)"
                  R"(path="EDGE/VOICE",policy_index="1",object_index="2"} 7)"
                  "\n" +
                  name +
                  R"(interface="Gi0/1",if_index="5",direction="input",policy="CHILD",class="x\ny",)"
                  R"(path="a\"b\\c/CHILD/x\ny",policy_index="2",object_index="2"} 7)"
                  "\n",
              metrics.substr(metrics.find(name),
                             metrics.find("# HELP", metrics.find(name)) - metrics.find(name)));
}
