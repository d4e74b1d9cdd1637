// Identical probes share a collection until its counter requests go out; a probe that arrives
// later makes its own, and one that waits past its deadline gives up alone.
#include "exporter/collection_join.h"

#include <gtest/gtest.h>

#include <future>
#include <thread>

namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

TEST(CollectionJoin, JoinsUntilTheCountersGoOut) {
    CollectionJoin joins;
    std::promise<void> countersMayGo;
    std::promise<void> countersGone;
    int collections = 0;
    const auto slowCollection = [&](std::function<void()> countersBegin) {
        ++collections;
        countersMayGo.get_future().wait();
        countersBegin();
        countersGone.set_value();
        std::this_thread::sleep_for(milliseconds(100));
        SharedCollection collection;
        collection.result.agent = "first";
        return collection;
    };
    const auto later = steady_clock::now() + std::chrono::seconds(5);
    auto first =
        std::async(std::launch::async, [&] { return joins.run("r", later, slowCollection); });
    std::this_thread::sleep_for(milliseconds(50));
    const auto own = [&](std::function<void()>) {
        ++collections;
        SharedCollection collection;
        collection.result.agent = "own";
        return collection;
    };
    // Before the counters: joins, and so runs nothing of its own.
    auto joined = std::async(std::launch::async, [&] { return joins.run("r", later, own); });
    std::this_thread::sleep_for(milliseconds(50));
    // Its deadline comes before the collection ends: it gives up, the others go on.
    EXPECT_FALSE(joins.run("r", steady_clock::now() + milliseconds(50), own));
    countersMayGo.set_value();
    countersGone.get_future().wait();
    // After the counters went out: its own collection.
    EXPECT_EQ("own", joins.run("r", later, own)->result.agent);
    EXPECT_EQ("first", first.get()->result.agent);
    EXPECT_EQ("first", joined.get()->result.agent);
    EXPECT_EQ(2, collections);
}

}  // namespace
