#include "app/ordered_work.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <new>
#include <string>
#include <vector>

namespace trevalda {
namespace {

// Every item is used once, in order, whatever the number of workers; a
// stop ends the job after the item in hand, and the items made never run
// more than twice the workers ahead of the ones used.
TEST(OrderedWorkTest, UsesEveryItemInOrderAndStopsWhenAsked) {
  struct Case {
    std::int32_t count;
    unsigned workers;
    std::int32_t stopAfter;  // -1: never
  };
  const Case cases[] = {{0, 2, -1},   {1, 1, -1},  {7, 3, -1},   {200, 2, -1},
                        {200, 8, -1}, {200, 2, 0}, {200, 3, 41}, {5, 2, 4}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.count) + " items, " + std::to_string(c.workers) + " workers");
    std::atomic<std::int32_t> made{0};
    std::atomic<std::int32_t> aheadTooFar{0};
    std::vector<std::int32_t> usedItems;
    const std::int32_t used = MakeInParallelUseInOrder<std::int32_t>(
        c.count, c.workers,
        [&](std::int32_t i, unsigned worker) {
          made.fetch_add(1);
          if (worker >= c.workers) aheadTooFar.fetch_add(1000);
          return i * 3;
        },
        [&](std::int32_t i, std::int32_t& item) {
          usedItems.push_back(item / 3);
          const std::int32_t window = 2 * static_cast<std::int32_t>(c.workers);
          if (made.load() > i + 1 + window) aheadTooFar.fetch_add(1);
          EXPECT_EQ(item, i * 3);
          return i != c.stopAfter;
        });
    const std::int32_t expected = c.stopAfter >= 0 ? c.stopAfter + 1 : c.count;
    EXPECT_EQ(used, expected);
    ASSERT_EQ(static_cast<std::int32_t>(usedItems.size()), expected);
    for (std::int32_t i = 0; i < expected; ++i)
      EXPECT_EQ(usedItems[static_cast<std::size_t>(i)], i);
    EXPECT_EQ(aheadTooFar.load(), 0);
  }
}

// Running out of memory in a worker or in the user stops the job and
// reaches the caller as the exception, after every thread was joined
// (a thread left running would end the process).
TEST(OrderedWorkTest, AnExceptionStopsTheJobAndReachesTheCaller) {
  for (const bool inMake : {true, false}) {
    for (const unsigned workers : {1u, 2u, 4u}) {
      SCOPED_TRACE(std::string(inMake ? "make" : "use") + ", " + std::to_string(workers));
      std::vector<std::int32_t> usedItems;
      EXPECT_THROW(MakeInParallelUseInOrder<std::int32_t>(
                       100, workers,
                       [&](std::int32_t i, unsigned) {
                         if (inMake && i == 30) throw std::bad_alloc();
                         return i;
                       },
                       [&](std::int32_t i, std::int32_t&) {
                         if (!inMake && i == 30) throw std::bad_alloc();
                         usedItems.push_back(i);
                         return true;
                       }),
                   std::bad_alloc);
      EXPECT_LE(usedItems.size(), 30u);
    }
  }
}

}  // namespace
}  // namespace trevalda
