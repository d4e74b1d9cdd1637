// The exporter's configuration cache: entries expire by the age of their tree, the least
// recently used goes first when full, and a configuration change drops its entry at once.
#include "collect/tree_cache.h"

#include <gtest/gtest.h>

namespace {

using Clock = TreeCache::Clock;
using std::chrono::seconds;

std::shared_ptr<const TreeSnapshot> walkedAt(Clock::time_point time) {
    auto tree = std::make_shared<TreeSnapshot>();
    tree->walkedAt = time;
    return tree;
}

TEST(TreeCache, ExpiresByAgeAndNeverCachesWithAgeZero) {
    const Clock::time_point t0 = Clock::now();
    TreeCache cache(10);
    const auto tree = walkedAt(t0);
    cache.keep("a", tree);
    EXPECT_EQ(tree, cache.find("a", seconds(60), t0 + seconds(59)));
    EXPECT_EQ(nullptr, cache.find("a", seconds(0), t0));
    cache.keep("a", tree);
    EXPECT_EQ(nullptr, cache.find("a", seconds(60), t0 + seconds(60)));
    EXPECT_EQ(0U, cache.size());  // the expired entry is gone
}

TEST(TreeCache, DropsTheLeastRecentlyUsedWhenFull) {
    const Clock::time_point t0 = Clock::now();
    TreeCache cache(2);
    cache.keep("a", walkedAt(t0));
    cache.keep("b", walkedAt(t0));
    ASSERT_NE(nullptr, cache.find("a", seconds(60), t0));  // b is now the least recently used
    cache.keep("c", walkedAt(t0));
    EXPECT_EQ(2U, cache.size());
    EXPECT_EQ(nullptr, cache.find("b", seconds(60), t0));
    EXPECT_NE(nullptr, cache.find("a", seconds(60), t0));
    EXPECT_NE(nullptr, cache.find("c", seconds(60), t0));
}

TEST(TreeCache, ChangeDropsTheEntryAndAReplacementTakesItsPlace) {
    const Clock::time_point t0 = Clock::now();
    TreeCache cache(2);
    cache.keep("a", walkedAt(t0));
    cache.keep("b", walkedAt(t0));
    cache.drop("a");
    EXPECT_EQ(nullptr, cache.find("a", seconds(60), t0));
    const auto newer = walkedAt(t0 + seconds(1));
    cache.keep("b", newer);
    EXPECT_EQ(1U, cache.size());
    EXPECT_EQ(newer, cache.find("b", seconds(60), t0));
}

}  // namespace
